#include "PageFields.h"

#include <QLabel>
#include <QLineEdit>

#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "data/PageRules.h"
#include "link/LinkObserver.h"

namespace lum {

namespace {
constexpr char kNotTakenLine[] = "[%s] %s not taken: \"%s\" is not above %s, so %s stays.";

const ConfigField& Field(const char* name) { return *FindField(ConfigFields(), name); }

// The caption of a numeric field ("lbledtBattOVP" is captioned by "lblBattOVP"), without its colon.
QString FieldCaption(const QLineEdit& edit) {
  const QString name = edit.objectName().replace(QStringLiteral("lbledt"), QStringLiteral("lbl"));
  const auto* label = edit.window()->findChild<QLabel*>(name);
  QString caption = label != nullptr ? label->text() : edit.objectName();
  while (caption.endsWith(u'：') || caption.endsWith(u':')) caption.chop(1);
  return caption;
}
}  // namespace

bool OwnEnabled(const QWidget* widget) { return !widget->testAttribute(Qt::WA_ForceDisabled); }

void ShowFieldText(QLineEdit& edit, const char* name, const TCONFIG_BLOCK& block, const FieldPlace& place) {
  const ConfigField& field = Field(name);
  edit.setText(QString::fromStdString(FormatFieldNumber(field, ReadValue(block, field, place))));
}

void StoreFieldText(const QLineEdit& edit, const char* name, TCONFIG_BLOCK& block, const FieldPlace& place,
                    LinkObserver& observer) {
  const ConfigField& field = Field(name);
  const uint32_t stored = ReadValue(block, field, place);
  if (StoreTypedText(block, field, place, edit.text().toStdString())) return;
  observer.InfoLine(
      FormatText(kNotTakenLine, {NowStamp(), FieldCaption(edit).toStdString(), edit.text().toStdString(),
                                 FormatFieldNumber(field, field.storeAbove), FormatFieldNumber(field, stored)}));
}

}  // namespace lum
