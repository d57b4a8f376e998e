#pragma once

#include <string>

namespace lum {

/// Makes Qt's own texts (message box buttons, file dialogs) speak the language of a language
/// file, named as the file's [FileInfo] Language names it ("English", "Chinese Simplified(简体中文)").
/// A language Qt ships no texts for leaves Qt's English. Returns whether a translation is in use.
bool UseQtTranslations(const std::string& languageName);

}  // namespace lum
