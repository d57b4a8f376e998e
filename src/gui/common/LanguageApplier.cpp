#include "LanguageApplier.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWidget>
#include <utility>

#include "FormLUM.h"
#include "LanguageComponents.h"
#include "data/TypeTables.h"
#include "language/LanguageKeys.h"
#include "language/MessageSlots.h"
#include "language/ProfileFile.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

namespace keys = language_keys;

std::string Utf8(const QString& text) { return text.toStdString(); }

// The language file while a pass reads and completes it.
class LanguageFileEditor {
 public:
  explicit LanguageFileEditor(std::string path) : path_(std::move(path)), file_(ProfileFile::LoadForWriting(path_)) {}

  QString Read(const char* section, const std::string& key, const QString& fallback) const {
    const std::optional<std::string> value = file_.Read(section, key);
    return value ? QString::fromStdString(*value) : fallback;
  }

  // Writes text under key unless the key exists. The first completion is saved at once, so
  // that a file that cannot be written stops the pass right there, as the profile writer
  // does; the completions after it are saved together by Finish.
  void Complete(const char* section, const std::string& key, const QString& text) {
    if (file_.Has(section, key)) return;
    file_.Write(section, key, Utf8(text));
    if (!saved_once_) {
      file_.Save(path_);
      saved_once_ = true;
    } else {
      unsaved_ = true;
    }
  }

  void Finish() {
    if (unsaved_) file_.Save(path_);
    unsaved_ = false;
  }

 private:
  std::string path_;
  ProfileFile file_;
  bool saved_once_ = false;
  bool unsaved_ = false;
};

struct ListItem {
  std::string key;
  const char* builtIn;
};

class LanguagePass {
 public:
  explicit LanguagePass(const std::string& path) : file_(path) {}

  void Window(QWidget* window) {
    const std::string name = Utf8(window->objectName());
    if (IsTranslatable(window)) {
      file_.Complete(keys::kStrings, WindowCaptionKey(name), window->windowTitle());
      window->setWindowTitle(file_.Read(keys::kStrings, WindowCaptionKey(name), window->windowTitle()));
      if (!window->toolTip().isEmpty()) file_.Complete(keys::kStrings, WindowHintKey(name), window->toolTip());
      window->setToolTip(file_.Read(keys::kStrings, WindowHintKey(name), window->toolTip()));
    }
    for (const QPointer<QObject>& component : TranslatableComponents(window))
      if (!component.isNull()) Component(name, component.data(), window);
  }

  void Messages(MessageTable& table) {
    for (int n = MessageTable::kFirstKeyed; n <= MessageTable::kLastKeyed; ++n) {
      if (!MessageTable::IsKeyed(n)) continue;
      const QString current = QString::fromStdString(table.Text(n));
      if (!current.isEmpty()) file_.Complete(keys::kMessages, MessageTable::Key(n), current);
      table.SetText(n, Utf8(file_.Read(keys::kMessages, MessageTable::Key(n), current)));
    }
  }

  // The type lists fall back to the built-in names, never to the texts shown: a file lacking
  // a name receives the table's name whatever language was shown before.
  void List(QComboBox& list, const char* section, const std::vector<ListItem>& items) {
    const QSignalBlocker quiet(&list);
    const int position = list.currentIndex();
    list.clear();
    for (const ListItem& item : items) {
      const QString builtIn = QString::fromUtf8(item.builtIn);
      file_.Complete(section, item.key, builtIn);
      list.addItem(file_.Read(section, item.key, builtIn));
    }
    list.setCurrentIndex(position);
  }

  void Finish() { file_.Finish(); }

 private:
  void Component(const std::string& window, QObject* component, QWidget* owner) {
    ComponentTexts texts(component, owner);
    const std::string name = Utf8(component->objectName());
    const std::string caption = CaptionKey(window, name);
    const std::string hint = HintKey(window, name);
    switch (texts.Kind()) {
      case ComponentKind::Action:
        if (!texts.Caption().isEmpty()) file_.Complete(keys::kStrings, caption, texts.Caption());
        texts.SetCaption(file_.Read(keys::kStrings, caption, texts.Caption()));
        break;
      case ComponentKind::MenuEntry:
        if (!texts.IsSeparator()) file_.Complete(keys::kStrings, caption, texts.Caption());
        texts.SetCaption(file_.Read(keys::kStrings, caption, texts.Caption()));
        Hint(texts, hint);
        break;
      case ComponentKind::LabelledEdit:
        if (!texts.Caption().isEmpty()) file_.Complete(keys::kStrings, caption, texts.Caption());
        texts.SetCaption(file_.Read(keys::kStrings, caption, texts.Caption()));
        Hint(texts, hint);
        break;
      case ComponentKind::ToolButton:
        Hint(texts, hint);
        break;
      case ComponentKind::Control:
        Hint(texts, hint);
        file_.Complete(keys::kStrings, caption, texts.Caption());
        texts.SetCaption(file_.Read(keys::kStrings, caption, texts.Caption()));
        break;
      case ComponentKind::Other:
        break;
    }
  }

  void Hint(ComponentTexts& texts, const std::string& key) {
    if (!texts.Hint().isEmpty()) file_.Complete(keys::kStrings, key, texts.Hint());
    texts.SetHint(file_.Read(keys::kStrings, key, texts.Hint()));
  }

  LanguageFileEditor file_;
};

std::vector<ListItem> DeviceItems() {
  std::vector<ListItem> items;
  for (const TDEVICE_TYPES& type : DeviceTypes())
    items.push_back({DeviceDescriptionKey(type.ProductCode), type.DefaultName});
  return items;
}

std::vector<ListItem> WorkModeItems() {
  std::vector<ListItem> items;
  items.reserve(kWorkModeCount);
  for (int k = 0; k < kWorkModeCount; ++k) items.push_back({WorkModeKey(k), WorkModeNames()[static_cast<size_t>(k)]});
  return items;
}

std::vector<ListItem> BatteryItems() {
  std::vector<ListItem> items;
  for (const TBATTERY_TYPES& type : BatteryTypes())
    items.push_back({BatteryDescriptionKey(type.Code), type.DefaultName});
  return items;
}

}  // namespace

void ApplyLanguageFile(const std::string& path, const std::vector<QWidget*>& windows, TFormLUM& mainWindow) {
  LanguagePass pass(path);
  for (QWidget* window : windows) pass.Window(window);
  pass.Messages(mainWindow.Messages());
  mainWindow.Load().WriteGridCaptions();
  // The pages keep their lists to themselves; the language reaches them by their names.
  if (auto* types = mainWindow.findChild<QComboBox*>(QStringLiteral("cbbDeviceTypes")))
    pass.List(*types, keys::kDeviceDescription, DeviceItems());
  if (auto* modes = mainWindow.findChild<QComboBox*>(QStringLiteral("cbbWorkMode")))
    pass.List(*modes, keys::kWorkMode, WorkModeItems());
  if (auto* batteries = mainWindow.findChild<QComboBox*>(QStringLiteral("cbbBatteryType")))
    pass.List(*batteries, keys::kBatteryDescription, BatteryItems());
  mainWindow.RefreshShownTexts();
  pass.Finish();
  emit mainWindow.LanguageApplied();
}

}  // namespace lum
