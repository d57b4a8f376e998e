#include "PageFields.h"

#include <QLabel>
#include <QLineEdit>

#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "data/NumberFormats.h"
#include "data/PageRules.h"
#include "language/FieldCaptions.h"
#include "language/MessageSlots.h"
#include "language/MessageTable.h"
#include "link/LinkObserver.h"

namespace lum {

namespace {
constexpr char kNotTakenLine[] = "[%s] %s not taken: \"%s\" is not above %s, so %s stays.";

// The caption of the label that names the field beside its edit, without its colon.
QString FieldCaption(const QLineEdit& edit, const ConfigField& field) {
  const QLabel* label = LabelOf(*edit.window(), field.id);
  QString caption = label != nullptr ? label->text() : edit.objectName();
  while (caption.endsWith(u'：') || caption.endsWith(u':')) caption.chop(1);
  return caption;
}
}  // namespace

const QLabel* LabelOf(const QWidget& window, FieldId id) {
  const std::string_view component = ComponentOf(id);
  if (component.empty()) return nullptr;
  return window.findChild<QLabel*>(QString::fromLatin1(component.data(), static_cast<qsizetype>(component.size())));
}

bool OwnEnabled(const QWidget* widget) { return !widget->testAttribute(Qt::WA_ForceDisabled); }

void CompleteLeadingPoint(QLineEdit& edit) {
  if (!edit.text().startsWith(u'.')) return;
  edit.setText(QStringLiteral("0") + edit.text());
  edit.setCursorPosition(static_cast<int>(edit.text().size()));
}

void ShowFieldText(QLineEdit& edit, FieldId id, const TCONFIG_BLOCK& block, const FieldPlace& place) {
  const ConfigField& field = Field(id);
  edit.setText(QString::fromStdString(FormatFieldNumber(field, ReadValue(block, field, place))));
}

void StoreFieldText(const QLineEdit& edit, FieldId id, TCONFIG_BLOCK& block, const FieldPlace& place,
                    const MessageTable& messages, LinkObserver& observer) {
  const ConfigField& field = Field(id);
  const uint32_t stored = ReadValue(block, field, place);
  const std::string text = edit.text().toStdString();
  const std::string& separator = messages.Text(msg::kDecimalSeparator);
  const TypedText result = StoreTypedText(block, field, place, text, separator);
  if (result == TypedText::Taken) return;
  if (result == TypedText::NotANumber)
    throw ConversionError(
        FormatText(messages.Text(msg::kNotANumber),
                   {FieldCaption(edit, field).toStdString(), text, FormatFieldNumber(field, field.minimum),
                    FormatFieldNumber(field, field.maximum), separator}));
  observer.InfoLine(
      FormatText(kNotTakenLine, {NowStamp(), FieldCaption(edit, field).toStdString(), edit.text().toStdString(),
                                 FormatFieldNumber(field, field.storeAbove), FormatFieldNumber(field, stored)}));
}

}  // namespace lum
