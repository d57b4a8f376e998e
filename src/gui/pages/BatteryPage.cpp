#include "BatteryPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <array>

#include "Dialogs.h"
#include "FixedColours.h"
#include "PageFields.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "data/BatterySense.h"
#include "data/ConfigFields.h"
#include "language/MessageSlots.h"
#include "language/MessageTable.h"
#include "language/WindowCaptions.h"
#include "ui_BatteryPage.h"

namespace lum {

namespace {
// A text field of the page, the field it shows and the control whose own enabled flag decides
// whether it is stored.
struct TextField {
  QLineEdit* edit;
  const QWidget* gate;
  FieldId field;
};

std::array<TextField, 5> BlockTexts(const Ui::BatteryPage& u) {
  return {{{u.lbledtSCV, u.grpSolarControl, FieldId::SCV},
           {u.lbledtBattOVP, u.grpBatteryType, FieldId::BattOVP},
           {u.lbledtBattFCV, u.grpBatteryType, FieldId::BattFCV},
           {u.lbledtBattUVP, u.grpBatteryType, FieldId::BattUVP},
           {u.lbledtBattUVR, u.grpBatteryType, FieldId::BattUVR}}};
}
// The field table's range for a spin box.
void TakeRange(QSpinBox& spin, FieldId id) {
  const ConfigField& field = Field(id);
  spin.setRange(static_cast<int>(field.minimum), static_cast<int>(field.maximum));
}

// A spin box shows a stored value outside its range at the nearest end: the stored value
// stays unless the user moved the box away from what it showed.
uint32_t SpinValue(const QSpinBox& spin, uint32_t stored) {
  const int shown = static_cast<int>(std::clamp<uint32_t>(stored, spin.minimum(), spin.maximum()));
  return spin.value() == shown ? stored : static_cast<uint32_t>(spin.value());
}
}  // namespace

BatteryPage::BatteryPage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::BatteryPage>()) {
  ui_->setupUi(this);
  // The design's fixed colours come with fixed texts on them, readable under any theme.
  SetFixedPageColours(*ui_->Panel3, kPanelColour);
  ConnectHandlers();
}

BatteryPage::~BatteryPage() = default;

void BatteryPage::Attach(const MessageTable& messages, LinkObserver& observer, Dialogs& dialogs) {
  messages_ = &messages;
  observer_ = &observer;
  dialogs_ = &dialogs;
}

QString BatteryPage::Message(int slot) const { return QString::fromStdString(messages_->Text(slot)); }

void BatteryPage::ConnectHandlers() {
  Ui::BatteryPage& u = *ui_;
  TakeRange(*u.seOTP, FieldId::OTP);
  TakeRange(*u.seSCDelay, FieldId::SCDelay);
  // The list reacts to the user's choice only; showing an entry sets it without the handler.
  connect(u.cbbBatteryType, &QComboBox::activated, this, [this] { cbbBatteryTypeChange(); });
  connect(u.seBatteryCells, &QSpinBox::valueChanged, this, [this] { cbbBatteryTypeChange(); });
  connect(u.btnSCDelayUnit, &QPushButton::clicked, this, [this] { btnSCDelayUnitClick(); });
  connect(u.seSCDelay, &QSpinBox::valueChanged, this, &BatteryPage::modified);
  // seBatteryCells takes no typing, only its arrows.
  if (auto* editor = u.seBatteryCells->findChild<QLineEdit*>()) editor->setReadOnly(true);
  for (const TextField& text : BlockTexts(u))
    connect(text.edit, &QLineEdit::textChanged, this, [this, edit = text.edit] {
      CompleteLeadingPoint(*edit);
      emit modified();
    });
}

void BatteryPage::ApplyCapabilities(const Capabilities& caps) {
  Ui::BatteryPage& u = *ui_;
  u.grpBatteryType->setEnabled(caps.HasBattery);
  u.cbbBatteryType->setCurrentIndex(0);
  cbbBatteryTypeChange();

  u.grpSolarControl->setEnabled(caps.HasLightControl);
  u.lbledtSCV->setEnabled(caps.HasLightControl);
  u.seSCDelay->setEnabled(OwnEnabled(u.lbledtSCV));
  u.lblSCDelay->setEnabled(OwnEnabled(u.grpSolarControl));
  u.btnSCDelayUnit->setEnabled(OwnEnabled(u.grpSolarControl));

  u.chkATC->setEnabled(caps.HasTempComp);
  u.chkATC->setChecked(false);
  u.lblOTP->setEnabled(caps.HasOverTempLimit);
  u.seOTP->setEnabled(caps.HasOverTempLimit);
}

void BatteryPage::DisableLightControl() {
  for (QWidget* control : std::initializer_list<QWidget*>{ui_->lbledtSCV, ui_->seSCDelay, ui_->btnSCDelayUnit})
    control->setEnabled(false);
}

void BatteryPage::Show(const TCONFIG_BLOCK& block, const PageFlags& flags) {
  Ui::BatteryPage& u = *ui_;
  // Only ever checked here; ApplyCapabilities has unchecked it.
  if (OwnEnabled(u.chkATC) && flags.tempComp) u.chkATC->setChecked(true);
  u.seOTP->setValue(block.OTP());
  for (const TextField& text : BlockTexts(u)) ShowFieldText(*text.edit, text.field, block);
  SetDelayUnitFlag((block.SCDelay() & block_bits::kSCDelayUnit) != 0 ? 1 : 0);
  u.seSCDelay->setValue(block.SCDelay() & block_bits::kSCDelayValue);
  ShowMatchingType(block);
}

void BatteryPage::StoreFlags(PageFlags& flags) const { flags.tempComp = ui_->chkATC->isChecked(); }

void BatteryPage::Store(TCONFIG_BLOCK& block) {
  Ui::BatteryPage& u = *ui_;
  if (OwnEnabled(u.seOTP)) block.SetOTP(static_cast<uint8_t>(SpinValue(*u.seOTP, block.OTP())));
  const TCONFIG_BLOCK before = block;
  for (const TextField& text : BlockTexts(u))
    if (OwnEnabled(text.gate)) StoreFieldText(*text.edit, text.field, block, {}, *messages_, *observer_);
  WarnOfDoubtfulVoltages(before, block);
  if (OwnEnabled(u.grpSolarControl)) {
    const uint32_t delay = SpinValue(*u.seSCDelay, block.SCDelay() & block_bits::kSCDelayValue);
    block.SetSCDelay(PackSCDelay(static_cast<int>(delay), DelayUnitFlag() == 1));
  }
}

void BatteryPage::WarnOfDoubtfulVoltages(const TCONFIG_BLOCK& before, const TCONFIG_BLOCK& after) {
  QStringList lines;
  for (const VoltageDoubt& doubt : DoubtfulBatteryVoltages(after)) {
    const uint32_t value = ReadValue(after, *doubt.field);
    if (value == ReadValue(before, *doubt.field)) continue;  // only what was just typed
    const QLabel* label = LabelOf(*this, doubt.field->id);
    lines << QString::fromStdString(
        FormatText(messages_->Text(msg::kBatteryVoltageDoubt),
                   {WithoutColon(label->text().toStdString()), FormatFieldNumber(*doubt.field, value),
                    ui_->cbbBatteryType->itemText(doubt.batteryRow).toStdString(),
                    FormatFieldNumber(*doubt.field, doubt.low), FormatFieldNumber(*doubt.field, doubt.high)}));
  }
  if (!lines.isEmpty()) dialogs_->ShowWarning(lines.join(QLatin1Char('\n')));
}

void BatteryPage::ShowMatchingType(const TCONFIG_BLOCK& block) {
  ui_->cbbBatteryType->setCurrentIndex(MatchingBatteryType(block));
  LockVoltages();
}

void BatteryPage::LockVoltages() {
  Ui::BatteryPage& u = *ui_;
  const bool custom = u.cbbBatteryType->currentIndex() == 0;
  const bool group = OwnEnabled(u.grpBatteryType);
  for (QLineEdit* field : {u.lbledtBattOVP, u.lbledtBattFCV, u.lbledtBattUVP, u.lbledtBattUVR})
    field->setEnabled(custom && group);
}

void BatteryPage::ShowPresets() {
  Ui::BatteryPage& u = *ui_;
  const int row = u.cbbBatteryType->currentIndex();
  if (row < 0 || row >= kBatteryTypeCount) return;
  const TBATTERY_TYPES& type = BatteryTypes()[static_cast<size_t>(row)];
  const auto show = [](QLineEdit* edit, FieldId id, uint16_t value) {
    edit->setText(QString::fromStdString(FormatFieldNumber(Field(id), value)));
  };
  show(u.lbledtBattOVP, FieldId::BattOVP, type.OVP);
  show(u.lbledtBattFCV, FieldId::BattFCV, type.FCV);
  show(u.lbledtBattUVP, FieldId::BattUVP, type.UVP);
  show(u.lbledtBattUVR, FieldId::BattUVR, type.UVR);
  show(u.lbledtSCV, FieldId::SCV, type.SCV);
}

int BatteryPage::DelayUnitFlag() const { return ui_->seSCDelay->property(names::kTagProperty).toInt(); }

void BatteryPage::SetDelayUnitFlag(int flag) {
  ui_->seSCDelay->setProperty(names::kTagProperty, flag);
  RefreshShownTexts();
}

void BatteryPage::RefreshShownTexts() {
  // Flag 1 (the start value) counts seconds, 0 minutes.
  QPushButton& unit = *ui_->btnSCDelayUnit;
  unit.setText(Message(DelayUnitFlag() == 1 ? msg::kSecondsUnit : msg::kMinutesUnit));
  // The design's 24 pixels hold "秒" or "s", not every language's name of the unit.
  constexpr int kUnitPadding = 8;
  unit.setMaximumWidth(std::max(unit.minimumWidth(), unit.fontMetrics().horizontalAdvance(unit.text()) + kUnitPadding));
  unit.setMinimumWidth(unit.maximumWidth());
}

void BatteryPage::cbbBatteryTypeChange() {
  LockVoltages();
  ShowPresets();
  emit modified();
}

void BatteryPage::btnSCDelayUnitClick() {
  SetDelayUnitFlag(DelayUnitFlag() == 0 ? 1 : 0);
  emit modified();
}

}  // namespace lum
