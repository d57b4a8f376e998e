#pragma once

#include <string>
#include <vector>

class QWidget;

namespace lum {

class TFormLUM;

/// One application of a language file: every window in the order given (each translatable
/// component in design order), the message table, the timing grid's header cells, the three
/// type lists and the delay unit button of the main window. Keys the file lacks are completed
/// with the texts shown at that moment and the file is saved in its own encoding, only when
/// something was completed. No change handler of the main window runs.
///
/// Throws std::runtime_error "Unable to write to <path>" at the first completion that cannot
/// be saved; what was set before stays, the rest keeps its texts.
void ApplyLanguageFile(const std::string& path, const std::vector<QWidget*>& windows, TFormLUM& mainWindow);

}  // namespace lum
