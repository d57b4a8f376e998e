// The mapping between a configuration entry and the editor pages, both directions.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>

#include "FormLUM.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
// The pages show and store group 0 of the channel table.
constexpr int kPageGroup = 0;
// Storing drops values at or below these (a half-typed or wrong field), keeping the old one.
constexpr uint16_t kMinStoredSCV = 100;       // 1.00 V in tens of mV
constexpr uint16_t kMinStoredBattOVP = 3000;  // mV
constexpr uint16_t kMinStoredBattVoltage = 2000;

// A control's own enabled flag, whatever its parent's state (a group may disable its fields).
bool OwnEnabled(const QWidget* widget) { return !widget->testAttribute(Qt::WA_ForceDisabled); }

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

uint16_t Parse(const QLineEdit* edit, unsigned scale) { return ParseScaled(edit->text().toStdString(), scale); }

void SetBit(uint8_t& flags, uint8_t mask, bool on) { flags = static_cast<uint8_t>(on ? flags | mask : flags & ~mask); }

constexpr char kNotTakenLine[] = "[%s] %s not taken: \"%s\" is not above %s, so %s stays.";

// The caption of a numeric field ("lbledtBattOVP" is captioned by "lblBattOVP"), without its colon.
QString FieldCaption(const QLineEdit& edit) {
  const QString name = edit.objectName().replace(QStringLiteral("lbledt"), QStringLiteral("lbl"));
  const auto* label = edit.window()->findChild<QLabel*>(name);
  QString caption = label != nullptr ? label->text() : edit.objectName();
  while (caption.endsWith(u'：') || caption.endsWith(u':')) caption.chop(1);
  return caption;
}
}  // namespace

void TFormLUM::ShowMatchingBatteryType(const TCONFIG_BLOCK& block) {
  Ui::TFormLUM& u = *ui_;
  int row = 0;  // custom parameters, unless a type's presets are exactly the stored voltages
  for (int r = 1; r < kBatteryTypeCount; ++r) {
    const TBATTERY_TYPES& type = BatteryTypes()[static_cast<size_t>(r)];
    if (type.OVP == block.BattOVP() && type.FCV == block.BattFCV() && type.UVP == block.BattUVP() &&
        type.UVR == block.BattUVR())
      row = r;
  }
  u.cbbBatteryType->setCurrentIndex(row);
  LockBatteryVoltages();
}

void TFormLUM::LockBatteryVoltages() {
  Ui::TFormLUM& u = *ui_;
  // A type's presets are fixed; custom parameters are typed by the user.
  const bool custom = u.cbbBatteryType->currentIndex() == 0;
  for (QLineEdit* field : {u.lbledtBattOVP, u.lbledtBattFCV, u.lbledtBattUVP, u.lbledtBattUVR})
    field->setEnabled(custom && OwnEnabled(u.grpBatteryType));
}

void TFormLUM::ShowEntry() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr) return;
  Ui::TFormLUM& u = *ui_;
  u.edtModel->setText(ToQ(entry->Model));
  u.edtSerialNumber->setText(ToQ(FormatSerial(entry->SerialNumber)));
  u.edtFirmware->setText(ToQ(FormatFirmware(entry->FirmwareVersion, entry->FirmwareBuild)));
  u.edtDateOfManufacture->setText(ToQ(FormatBatch(entry->BatchCode)));

  const TCONFIG_BLOCK& block = entry->Config;
  u.cbbDeviceTypes->setCurrentIndex(LookupProductID(block.ProductID()));
  if (u.cbbDeviceTypes->currentIndex() < 0) {
    StatusPanel(names::kDevicePanel).clear();
  } else {
    ApplyCapabilities();
    const uint8_t flags = block.FuncFlags();
    u.chkMI->setChecked((flags & block_bits::kMiEnabled) != 0);
    switch (flags & block_bits::kMiModeMask) {
      case 0:
        u.rbRainDetect->setChecked(true);
        break;
      case 1:
        u.rbPIR->setChecked(true);
        break;
      default:
        break;  // modes 2 and 3 are not the pages' to show
    }
    u.chkIRReceiver->setChecked((flags & block_bits::kIRReceiver) != 0);
    // Only ever checked here; ApplyCapabilities has unchecked them.
    if (OwnEnabled(u.chkPWMDIM) && (flags & block_bits::kPWMDimming) != 0) u.chkPWMDIM->setChecked(true);
    if (OwnEnabled(u.chkEnergySaving) && (flags & block_bits::kEnergySaving) != 0) u.chkEnergySaving->setChecked(true);
    if (OwnEnabled(u.chkATC) && (flags & block_bits::kTempComp) != 0) u.chkATC->setChecked(true);

    u.lbledtSCV->setText(ToQ(FormatScaled(block.SCV(), kScaleCenti)));
    SetDelayUnitFlag((block.SCDelay() & block_bits::kSCDelayUnit) != 0 ? 1 : 0);
    u.seSCDelay->setValue(block.SCDelay() & block_bits::kSCDelayValue);
    u.lbledtBattOVP->setText(ToQ(FormatScaled(block.BattOVP(), kScaleMilli)));
    u.lbledtBattFCV->setText(ToQ(FormatScaled(block.BattFCV(), kScaleMilli)));
    u.lbledtBattUVP->setText(ToQ(FormatScaled(block.BattUVP(), kScaleMilli)));
    u.lbledtBattUVR->setText(ToQ(FormatScaled(block.BattUVR(), kScaleMilli)));
    ShowMatchingBatteryType(block);

    ShowChannel(block.Channel(kPageGroup, 0));
    StatusPanel(names::kDevicePanel).setText(u.cbbDeviceTypes->currentText());
  }
  entry->Modified = false;
}

void TFormLUM::ApplyCapabilities() {
  Ui::TFormLUM& u = *ui_;
  const int row = u.cbbDeviceTypes->currentIndex();
  const uint8_t capFlags = CurrentEntry() != nullptr ? CurrentEntry()->Config.CapFlags() : 0;
  const Capabilities caps = ResolveCapabilities(capFlags, row);

  u.chkPWMDIM->setEnabled(caps.HasPWMDimming);
  u.chkPWMDIM->setChecked(false);

  u.lblCC->setEnabled(caps.HasRatedCurrent);
  u.lbledtCC->setEnabled(caps.HasRatedCurrent);
  u.chkEnergySaving->setEnabled(caps.HasRatedCurrent);
  u.chkEnergySaving->setChecked(false);

  u.grpBatteryType->setEnabled(caps.HasBattery);
  u.cbbBatteryType->setCurrentIndex(0);
  cbbBatteryTypeChange();

  u.grpSolarControl->setEnabled(caps.HasLightControl);
  u.lbledtSCV->setEnabled(caps.HasLightControl);
  u.seSCDelay->setEnabled(OwnEnabled(u.lbledtSCV));
  u.lblSCDelay->setEnabled(OwnEnabled(u.grpSolarControl));
  u.btnSCDelayUnit->setEnabled(OwnEnabled(u.grpSolarControl));

  const int channels = row >= 0 && row < kDeviceTypeCount ? DeviceTypes()[static_cast<size_t>(row)].Channels : 0;
  QStringList captions;
  for (int k = 1; k <= channels; ++k) captions << ToQ(FormatText(messages_.Text(msg::kChannelItem), {int64_t{k}}));
  u.rgChannel->SetItems(captions);
  // Start-up disables the work mode controls; a device type with outputs gives them back.
  u.cbbWorkMode->setEnabled(channels > 0);
  u.chkLoopMode->setEnabled(channels > 0);
  u.rgChannel->SetItemIndex(0);

  u.chkATC->setEnabled(caps.HasTempComp);
  u.chkATC->setChecked(false);
  u.lblOTP->setEnabled(caps.HasOverTempLimit);
  u.seOTP->setEnabled(caps.HasOverTempLimit);
  u.lbledtCV->setEnabled(caps.HasVoltageLimit);
  u.lblLimitedV->setEnabled(caps.HasVoltageLimit);
}

void TFormLUM::ShowChannel(ConstChannel record) {
  Ui::TFormLUM& u = *ui_;
  const int mode = record.Mode() & block_bits::kWorkModeMask;
  u.cbbWorkMode->setCurrentIndex(mode < u.cbbWorkMode->count() ? mode : -1);
  u.chkLoopMode->setChecked((record.Mode() & block_bits::kLoopMode) != 0);
  u.lbledtCC->setText(ToQ(FormatScaled(record.CC(), kScaleMilli)));
  u.lbledtCV->setText(ToQ(FormatScaled(record.CV(), kScaleMilli)));
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    const ConstTimeSegment segment = record.Timing(r - 1);
    SetGridText(*u.StringGrid, timing_grid::kMinutesColumn, r, QString::number(segment.Minutes()));
    SetGridText(*u.StringGrid, timing_grid::kPowerColumn, r, QString::number(segment.Power()));
  }
  RefreshShownTexts();
}

void TFormLUM::StoreChannel(TCHANNEL_CONFIG record) {
  Ui::TFormLUM& u = *ui_;
  // No selection (-1) becomes 0xFF, as the byte of the index.
  uint8_t mode = static_cast<uint8_t>(u.cbbWorkMode->currentIndex());
  if (u.chkLoopMode->isChecked()) mode |= block_bits::kLoopMode;
  record.SetMode(mode);
  if (OwnEnabled(u.lbledtCC)) record.SetCC(Parse(u.lbledtCC, kScaleMilli));
  if (OwnEnabled(u.lbledtCV)) record.SetCV(Parse(u.lbledtCV, kScaleMilli));
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    TTIME_SEGMENT segment = record.Timing(r - 1);
    segment.SetMinutes(static_cast<uint16_t>(GridInteger(*u.StringGrid, timing_grid::kMinutesColumn, r)));
    segment.SetPower(static_cast<uint8_t>(GridInteger(*u.StringGrid, timing_grid::kPowerColumn, r)));
  }
}

void TFormLUM::StorePages(TCONFIG_BLOCK& block) {
  Ui::TFormLUM& u = *ui_;
  // A value at or below its threshold is not stored; the user learns which and why.
  auto storeAbove = [this](const QLineEdit* edit, unsigned scale, uint16_t threshold, uint16_t stored, auto set) {
    const uint16_t value = Parse(edit, scale);
    if (value > threshold) {
      set(value);
      return;
    }
    observer_.InfoLine(
        FormatText(kNotTakenLine, {NowStamp(), FieldCaption(*edit).toStdString(), edit->text().toStdString(),
                                   FormatScaled(threshold, scale), FormatScaled(stored, scale)}));
  };
  const int row = u.cbbDeviceTypes->currentIndex();
  block.SetProductID(row >= 0 && row < kDeviceTypeCount ? DeviceTypes()[static_cast<size_t>(row)].ProductCode : 0);
  block.SetAddress(static_cast<uint8_t>(u.seAddress->value()));

  uint8_t flags = block.FuncFlags();
  if (u.chkMI->isChecked()) {
    flags |= block_bits::kMiEnabled;
    constexpr uint8_t kRainDetect = 0;
    constexpr uint8_t kPIR = 1;
    if (u.rbRainDetect->isChecked()) flags = static_cast<uint8_t>((flags & ~block_bits::kMiModeMask) | kRainDetect);
    if (u.rbPIR->isChecked()) flags = static_cast<uint8_t>((flags & ~block_bits::kMiModeMask) | kPIR);
  } else {
    SetBit(flags, block_bits::kMiEnabled, false);
  }
  SetBit(flags, block_bits::kIRReceiver, u.chkIRReceiver->isChecked());
  SetBit(flags, block_bits::kPWMDimming, u.chkPWMDIM->isChecked());
  SetBit(flags, block_bits::kEnergySaving, u.chkEnergySaving->isChecked());
  SetBit(flags, block_bits::kTempComp, u.chkATC->isChecked());
  block.SetFuncFlags(flags);

  if (OwnEnabled(u.seOTP)) block.SetOTP(static_cast<uint8_t>(u.seOTP->value()));

  if (OwnEnabled(u.grpSolarControl)) {
    storeAbove(u.lbledtSCV, kScaleCenti, kMinStoredSCV, block.SCV(), [&](uint16_t v) { block.SetSCV(v); });
    uint8_t delay = static_cast<uint8_t>(u.seSCDelay->value());
    if (DelayUnitFlag() == 1) delay |= block_bits::kSCDelayUnit;
    block.SetSCDelay(delay);
  }

  if (OwnEnabled(u.grpBatteryType)) {
    storeAbove(u.lbledtBattOVP, kScaleMilli, kMinStoredBattOVP, block.BattOVP(),
               [&](uint16_t v) { block.SetBattOVP(v); });
    storeAbove(u.lbledtBattFCV, kScaleMilli, kMinStoredBattVoltage, block.BattFCV(),
               [&](uint16_t v) { block.SetBattFCV(v); });
    storeAbove(u.lbledtBattUVP, kScaleMilli, kMinStoredBattVoltage, block.BattUVP(),
               [&](uint16_t v) { block.SetBattUVP(v); });
    storeAbove(u.lbledtBattUVR, kScaleMilli, kMinStoredBattVoltage, block.BattUVR(),
               [&](uint16_t v) { block.SetBattUVR(v); });
  }

  const int channel = u.rgChannel->ItemIndex();
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, channel)) StoreChannel(block.Channel(kPageGroup, channel));
}

void TFormLUM::ConfirmApply() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr || !entry->Modified) return;
  switch (dialogs_->AskYesNoCancel(Message(msg::kApplyTitle), Message(msg::kApplyQuestion))) {
    case Answer::Yes:
      StorePages(entry->Config);
      entry->Modified = false;
      return;
    case Answer::No:
      // Nothing shown for the edits may be stored afterwards, not even the shown channel.
      shown_channel_ = -1;
      ShowEntry();
      return;
    case Answer::Cancel:
      throw ApplyCancelled{};
  }
}

int TFormLUM::DelayUnitFlag() const { return ui_->seSCDelay->property(names::kTagProperty).toInt(); }

void TFormLUM::SetDelayUnitFlag(int flag) {
  ui_->seSCDelay->setProperty(names::kTagProperty, flag);
  RefreshShownTexts();
}

void TFormLUM::RefreshShownTexts() {
  Ui::TFormLUM& u = *ui_;
  // Flag 1 (the start value) counts seconds, 0 minutes.
  QPushButton& unit = *u.btnSCDelayUnit;
  unit.setText(Message(DelayUnitFlag() == 1 ? msg::kSecondsUnit : msg::kMinutesUnit));
  // The design's 24 pixels hold "秒" or "s", not every language's name of the unit.
  constexpr int kUnitPadding = 8;
  unit.setMaximumWidth(std::max(unit.minimumWidth(), unit.fontMetrics().horizontalAdvance(unit.text()) + kUnitPadding));
  unit.setMinimumWidth(unit.maximumWidth());
  const int mode = u.cbbWorkMode->currentIndex();
  SetGridText(*u.StringGrid, 0, timing_grid::kMorningRow,
              Message(mode > 0 ? msg::kMorningSegment : msg::kFifthSegment));
  for (int k = 0; k < u.rgChannel->Count(); ++k)
    u.rgChannel->SetItemText(k, ToQ(FormatText(messages_.Text(msg::kChannelItem), {int64_t{k + 1}})));
  if (u.cbbDeviceTypes->currentIndex() >= 0) StatusPanel(names::kDevicePanel).setText(u.cbbDeviceTypes->currentText());
}

void TFormLUM::WriteGridCaptions() {
  QTableWidget& grid = *ui_->StringGrid;
  SetGridText(grid, 0, 0, Message(msg::kGridTitle));
  for (int r = 1; r <= block_layout::kSegments; ++r) SetGridText(grid, 0, r, Message(msg::kFirstSegment + r - 1));
  SetGridText(grid, timing_grid::kMinutesColumn, 0, Message(msg::kMinutesColumn));
  SetGridText(grid, timing_grid::kPowerColumn, 0, Message(msg::kPowerColumn));
}

}  // namespace lum
