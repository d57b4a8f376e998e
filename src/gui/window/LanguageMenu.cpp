#include "LanguageMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "FormLUM.h"
#include "LanguageApplier.h"
#include "LanguageComponents.h"
#include "QtTranslations.h"
#include "base/AsciiText.h"
#include "language/LanguageKeys.h"
#include "language/Settings.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

constexpr std::string_view kLanguageExtension = ".lng";

// Names matching "*.lng" as the system's listing does (without regard to letter case),
// whatever kind of entry they are.
bool HasLanguageExtension(const std::string& name) {
  return name.size() > kLanguageExtension.size() &&
         EqualsIgnoringCase(std::string_view(name).substr(name.size() - kLanguageExtension.size()), kLanguageExtension);
}

struct OfferedFile {
  std::string fileName;
  std::string displayName;
};

std::vector<OfferedFile> OfferedFiles(const std::string& directory) {
  std::vector<OfferedFile> offered;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (!HasLanguageExtension(name)) continue;
    if (auto displayName = IsOfferedLanguageFile(entry.path().string())) offered.push_back({name, *displayName});
  }
  // The listing's own order is arbitrary here; the menu reads better sorted.
  std::sort(offered.begin(), offered.end(), [](const OfferedFile& a, const OfferedFile& b) {
    return std::tie(a.displayName, a.fileName) < std::tie(b.displayName, b.fileName);
  });
  return offered;
}

}  // namespace

int FindRememberedFile(const std::vector<std::string>& files, const std::string& remembered) {
  auto found = std::find(files.begin(), files.end(), remembered);
  if (found == files.end())
    found = std::find_if(files.begin(), files.end(),
                         [&](const std::string& name) { return EqualsIgnoringCase(name, remembered); });
  return found == files.end() ? -1 : static_cast<int>(found - files.begin());
}

LanguageMenu::LanguageMenu(TFormLUM& mainWindow) : QObject(&mainWindow), main_(mainWindow), group_(nullptr) {
  group_ = new QActionGroup(this);
  group_->setExclusive(true);
}

void LanguageMenu::AddWindow(QWidget* window) { windows_.emplace_back(window); }

void LanguageMenu::LoadLanguageList() {
  Ui::TFormLUM& u = main_.ui();
  RememberBuiltInTexts();
  // The built-in language can always be chosen again, whatever LUM.INI remembers.
  EnsureNamedLanguageFile(main_.WorkDir(), Settings::kDefaultLanguageFile);
  language_files_.clear();
  language_names_.clear();
  for (QAction* entry : entries_) delete entry;
  entries_.clear();
  u.MenuLanguage->clear();

  for (const OfferedFile& file : OfferedFiles(main_.WorkDir())) {
    auto* entry = new QAction(QString::fromStdString(file.displayName), u.MenuLanguage);
    entry->setCheckable(true);
    group_->addAction(entry);
    u.MenuLanguage->addAction(entry);
    main_.Bind(
        entry, &QAction::triggered, [this, entry] { actSelectLanguageExecute(entry); }, this);
    language_files_.push_back(file.fileName);
    language_names_.push_back(file.displayName);
    entries_.push_back(entry);
  }

  const int position =
      FindRememberedFile(language_files_, Settings(main_.WorkDir()).LanguageFile(main_.DefaultLanguageFile()));
  if (position < 0) return;
  entries_[static_cast<size_t>(position)]->setChecked(true);
  ApplyLanguage(position);
}

void LanguageMenu::ApplyLanguage(int position) {
  std::vector<QWidget*> windows;
  for (const QPointer<QWidget>& window : windows_)
    if (!window.isNull()) windows.push_back(window.data());
  const std::string& name = language_files_.at(static_cast<size_t>(position));
  const std::string path = (std::filesystem::path(main_.WorkDir()) / name).string();
  if (EqualsIgnoringCase(name, Settings::kDefaultLanguageFile)) RestoreBuiltInTexts();
  ApplyLanguageFile(path, windows, main_);
  UseQtTranslations(language_names_.at(static_cast<size_t>(position)));
}

void LanguageMenu::RememberBuiltInTexts() {
  if (!built_in_.empty()) return;
  for (const QPointer<QWidget>& window : windows_) {
    if (window.isNull()) continue;
    if (IsTranslatable(window.data())) built_in_titles_.push_back({window, window->windowTitle()});
    for (QObject* component : ComponentsInDesignOrder(window.data())) {
      if (!IsTranslatable(component)) continue;
      const ComponentTexts texts(component, window.data());
      // Edits and memos hold data, not texts of the design; a labelled edit's caption is its label's.
      const bool holdsData =
          qobject_cast<QPlainTextEdit*>(component) != nullptr ||
          (qobject_cast<QLineEdit*>(component) != nullptr && texts.Kind() != ComponentKind::LabelledEdit);
      if (!holdsData) built_in_.push_back({component, window.data(), texts.Caption(), texts.Hint()});
    }
  }
}

void LanguageMenu::RestoreBuiltInTexts() {
  for (const BuiltInText& text : built_in_) {
    if (text.component.isNull() || text.window.isNull()) continue;
    ComponentTexts texts(text.component.data(), text.window.data());
    if (texts.Kind() != ComponentKind::ToolButton) texts.SetCaption(text.caption);
    texts.SetHint(text.hint);
  }
  for (const auto& [window, title] : built_in_titles_)
    if (!window.isNull()) window->setWindowTitle(title);
  main_.Messages().FillBuiltIn();
}

void LanguageMenu::actSelectLanguageExecute(QAction* entry) {
  const auto found = std::find(entries_.begin(), entries_.end(), entry);
  if (found == entries_.end()) return;
  const int position = static_cast<int>(found - entries_.begin());
  entry->setChecked(true);
  ApplyLanguage(position);
  Settings(main_.WorkDir()).SetLanguageFile(language_files_[static_cast<size_t>(position)]);
}

}  // namespace lum
