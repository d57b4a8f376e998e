#include "WindowLinkObserver.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>

#include "WindowNames.h"

namespace lum {

namespace {
// The write ends with a line holding only a carriage return; the memo would take that as a
// line break of its own and show two empty lines, so a line's carriage returns are dropped.
// The memo always shows its newest line, even once a long line has added a horizontal
// scroll bar (which makes the memo's own following stop).
void AppendLine(QWidget& window, const char* memoName, const std::string& line) {
  auto* memo = window.findChild<QPlainTextEdit*>(memoName);
  if (memo == nullptr) return;
  memo->appendPlainText(QString::fromStdString(line).remove(QLatin1Char('\r')));
  memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
}
// The read-only fields of the real-time and monitor pages that show a measurement.
struct TextField {
  ValueId id;
  const char* objectName;
  Decimals decimals = Decimals::OfUnit;
};
constexpr TextField kTextFields[] = {
    {ValueId::PowerOnTime, "txtTimer"},
    {ValueId::PowerOnTime, "lbledtRealTimer"},
    {ValueId::Temperature, "lbledtTemp"},
    {ValueId::BatteryVoltage, "lbledtBattV"},
    {ValueId::BatteryVoltage, "lbledtRealBattV", Decimals::Two},
    {ValueId::SolarVoltage, "lbledtSolarV"},
    {ValueId::SolarVoltage, "lbledtRealSolarV"},
    {ValueId::Load1Voltage, "lbledtLoad1V"},
    {ValueId::Load1Current, "lbledtLoad1A"},
    {ValueId::Load1Current, "lbledtRealLoad1A", Decimals::Two},
    {ValueId::DCInVoltage, "lbledtDCInV"},
};

// The calibration spin edits that take a reference value as it comes.
struct SpinField {
  ValueId id;
  const char* objectName;
};
constexpr SpinField kSpinFields[] = {
    {ValueId::TempRef, "seTempRef"},
    {ValueId::BattVRef, "seBattVRef"},
    {ValueId::SolarVRef, "seSolarVRef"},
    {ValueId::Load1VRef, "seLoad1VRef"},
    {ValueId::Load1ARefOffset, "seLoad1ARef0"},
    {ValueId::Load1ARef, "seLoad1ARef"},
    {ValueId::DCInVRef, "seDCInVRef"},
};

void SetText(QWidget& window, const char* objectName, const QString& text) {
  if (auto* edit = window.findChild<QLineEdit*>(objectName))
    edit->setText(text);
  else if (auto* label = window.findChild<QLabel*>(objectName))
    label->setText(text);
}
}  // namespace

void WindowLinkObserver::InfoLine(const std::string& line) { AppendLine(window_, names::kInfoMemo, line); }

void WindowLinkObserver::TraceLine(const std::string& line) { AppendLine(window_, names::kTraceMemo, line); }

bool WindowLinkObserver::ShowErrorDetails() const {
  const auto* box = window_.findChild<QCheckBox*>(names::kErrorDetailsBox);
  return box != nullptr && box->isChecked();
}

void WindowLinkObserver::ValueReceived(const Measurement& value) {
  for (const TextField& field : kTextFields)
    if (field.id == value.id)
      SetText(window_, field.objectName, QString::fromStdString(FormatValue(value, field.decimals)));
  for (const SpinField& field : kSpinFields)
    if (field.id == value.id)
      if (auto* spin = window_.findChild<QSpinBox*>(field.objectName)) spin->setValue(static_cast<int>(value.raw));
  if (value.id == ValueId::FunctionFlags || value.id == ValueId::CapabilityFlags) {
    (value.id == ValueId::FunctionFlags ? function_flags_ : capability_flags_) = value;
    ShowStatusFlags();
  }
  if (tap_) tap_(value);
}

void WindowLinkObserver::ClearValue(ValueId id) {
  for (const TextField& field : kTextFields)
    if (field.id == id) SetText(window_, field.objectName, {});
}

// Both bytes come in one reply, one after the other; the panel shows the pair.
void WindowLinkObserver::ShowStatusFlags() {
  if (auto* panel = window_.findChild<QLabel*>(names::StatusPanelName(names::kFlagsPanel)))
    panel->setText(QString::fromStdString(FormatValue(function_flags_) + "," + FormatValue(capability_flags_)));
}

void WindowLinkObserver::RunningStateCleared() {
  if (auto* image = window_.findChild<QLabel*>(names::kStatusImage)) image->clear();
}

}  // namespace lum
