#include "WriteReview.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <string_view>

#include "FormLUM.h"
#include "LanguageComponents.h"
#include "TimingGrid.h"
#include "base/SafeFormat.h"
#include "device/WriteChanges.h"
#include "language/MessageSlots.h"
#include "language/WindowCaptions.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

QString Label(TFormLUM& window, const FieldRef& ref) {
  Ui::TFormLUM& u = window.ui();
  const ConfigField& field = *ref.field;
  const std::string_view name = field.name;
  QString label;
  if (*field.label) {
    if (auto* widget = window.findChild<QWidget*>(QString::fromLatin1(field.label)))
      label = QString::fromStdString(WithoutColon(ComponentTexts(widget, &window).Caption().toStdString()));
  } else if (field.scope == FieldScope::Timing) {
    const int column = name == "Minutes" ? timing_grid::kMinutesColumn : timing_grid::kPowerColumn;
    label = GridText(*u.StringGrid, 0, ref.segment + 1) + QLatin1Char(' ') + GridText(*u.StringGrid, column, 0);
  } else {
    label = u.PageControl->tabText(u.PageControl->indexOf(u.tsOther));  // FuncFlags
  }
  if (field.scope == FieldScope::Block) return label;
  return QString::fromStdString(FormatText(window.Messages().Text(msg::kChannelItem), {int64_t{ref.channel + 1}})) +
         QLatin1Char(' ') + label;
}

}  // namespace

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
    return list;
  }
  for (const FieldChange& change : WriteChanges(*target, source))
    list.rows.push_back({Label(window, change.field),
                         QString::fromStdString(ChangeValueText(change.field, change.before)),
                         QString::fromStdString(ChangeValueText(change.field, change.after))});
  list.text = window.Message(list.rows.empty() ? msg::kNoChange : msg::kChangesText);
  return list;
}

}  // namespace lum
