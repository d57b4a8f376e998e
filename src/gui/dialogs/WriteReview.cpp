#include "WriteReview.h"

#include <QTabWidget>

#include "FormLUM.h"
#include "LanguageComponents.h"
#include "base/SafeFormat.h"
#include "device/WriteChanges.h"
#include "language/FieldCaptions.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

std::string Caption(TFormLUM& window, std::string_view component) {
  auto* widget =
      window.findChild<QWidget*>(QString::fromLatin1(component.data(), static_cast<qsizetype>(component.size())));
  return widget != nullptr ? ComponentTexts(widget, &window).Caption().toStdString() : std::string();
}

}  // namespace

FieldLabels WindowFieldLabels(TFormLUM& window) {
  Ui::TFormLUM& u = window.ui();
  FieldLabels::Captions captions;
  for (const FieldComponent& field : FieldComponents())
    captions[std::string(field.component)] = Caption(window, field.component);
  captions[FieldLabels::kFlagsPage] = u.PageControl->tabText(u.PageControl->indexOf(u.tsOther)).toStdString();
  return FieldLabels(std::move(captions));
}

const TDEVICE_CONFIG* LastReadTarget(const EntryStore& entries, const TDEVICE_CONFIG& written) {
  const auto read = [](const TDEVICE_CONFIG& entry) { return entry.FromDevice && entry.AsRead; };
  if (written.BusAddress != 0) return read(written) ? &written : nullptr;
  for (const auto& entry : entries.DeviceEntries())
    if (entry->BusAddress == 0 && read(*entry) && entry->AsRead->ProductID() == written.Config.ProductID())
      return entry.get();
  return nullptr;
}

ChangeList WriteChangeList(TFormLUM& window, const TDEVICE_CONFIG& written) {
  const TCONFIG_BLOCK& source = written.Config;
  ChangeList list;
  list.title = window.Message(msg::kChangesTitle);
  list.columns = {window.Message(msg::kChangeField), window.Message(msg::kChangeBefore),
                  window.Message(msg::kChangeAfter)};
  const TDEVICE_CONFIG* const controller = LastReadTarget(window.Entries(), written);
  const TCONFIG_BLOCK* const target = controller != nullptr ? &*controller->AsRead : nullptr;
  if (controller != nullptr)
    list.title = QString::fromStdString(
        FormatText(window.Messages().Text(msg::kAddressOf), {list.title.toStdString(), controller->Name}));
  if (target == nullptr) {
    list.text = window.Message(msg::kTargetNotRead);
    list.acceptText = window.Message(msg::kWriteAnyway);
    return list;
  }
  const FieldLabels labels = WindowFieldLabels(window);
  for (const FieldChange& change : WriteChanges(*target, source))
    list.rows.push_back({QString::fromStdString(labels.Label(change.field, source, window.Messages())),
                         QString::fromStdString(ChangeValueText(change.field, change.before)),
                         QString::fromStdString(ChangeValueText(change.field, change.after))});
  list.text = window.Message(list.rows.empty() ? msg::kNoChange : msg::kChangesText);
  if (list.rows.empty()) list.acceptText = window.Message(msg::kWriteAnyway);
  return list;
}

}  // namespace lum
