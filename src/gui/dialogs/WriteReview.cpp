#include "WriteReview.h"

#include <QTabWidget>

#include "FormLUM.h"
#include "LanguageComponents.h"
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

const TCONFIG_BLOCK* LastReadTarget(const EntryStore& entries, uint32_t productId) {
  for (const auto& entry : entries.DeviceEntries())
    if (entry->FromDevice && entry->AsRead && entry->AsRead->ProductID() == productId) return &*entry->AsRead;
  return nullptr;
}

ChangeList WriteChangeList(TFormLUM& window, const TCONFIG_BLOCK& source) {
  ChangeList list;
  list.title = window.Message(msg::kChangesTitle);
  list.columns = {window.Message(msg::kChangeField), window.Message(msg::kChangeBefore),
                  window.Message(msg::kChangeAfter)};
  const TCONFIG_BLOCK* target = LastReadTarget(window.Entries(), source.ProductID());
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
