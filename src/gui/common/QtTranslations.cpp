#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <array>
#include <memory>
#include <string_view>

namespace lum {

namespace {
struct LanguageLocale {
  std::string_view namePrefix;
  const char* locale;
};
// Language files name their language in words; Qt's translation files by locale.
constexpr std::array<LanguageLocale, 3> kLocales = {{
    {"Chinese Simplified", "zh_CN"},
    {"Chinese Traditional", "zh_TW"},
    {"English", "en"},
}};

QTranslator*& Installed() {
  static QTranslator* translator = nullptr;
  return translator;
}
}  // namespace

bool UseQtTranslations(const std::string& languageName) {
  QTranslator*& installed = Installed();
  if (installed != nullptr) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  for (const LanguageLocale& entry : kLocales) {
    if (std::string_view(languageName).substr(0, entry.namePrefix.size()) != entry.namePrefix) continue;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(entry.locale),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      return false;
    QCoreApplication::installTranslator(translator.get());
    installed = translator.release();
    return true;
  }
  return false;
}

}  // namespace lum
