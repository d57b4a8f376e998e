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
#include <array>

#include "EmptyPage.h"
#include "FormLUM.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "data/ConfigFields.h"
#include "data/NumberFormats.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
// A control's own enabled flag, whatever its parent's state (a group may disable its fields).
bool OwnEnabled(const QWidget* widget) { return !widget->testAttribute(Qt::WA_ForceDisabled); }

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

const ConfigField& Field(const char* name) { return *FindField(ConfigFields(), name); }

// A text field of the pages, the field it shows and the control whose own enabled flag
// decides whether it is stored.
struct TextField {
  QLineEdit* edit;
  const QWidget* gate;
  const char* name;
};

std::array<TextField, 5> BlockTexts(const Ui::TFormLUM& u) {
  return {{{u.lbledtSCV, u.grpSolarControl, "SCV"},
           {u.lbledtBattOVP, u.grpBatteryType, "BattOVP"},
           {u.lbledtBattFCV, u.grpBatteryType, "BattFCV"},
           {u.lbledtBattUVP, u.grpBatteryType, "BattUVP"},
           {u.lbledtBattUVR, u.grpBatteryType, "BattUVR"}}};
}

std::array<TextField, 2> ChannelTexts(const Ui::TFormLUM& u) {
  return {{{u.lbledtCC, u.lbledtCC, "CC"}, {u.lbledtCV, u.lbledtCV, "CV"}}};
}

void ShowText(const TextField& text, const TCONFIG_BLOCK& block, const FieldPlace& place) {
  const ConfigField& field = Field(text.name);
  text.edit->setText(ToQ(FormatFieldNumber(field, ReadValue(block, field, place))));
}

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

void TFormLUM::ShowEntry() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr) return;
  device_page_.Show(*entry);
  if (device_page_.SelectedRow() < 0)
    ShowNoDeviceType();
  else
    ShowPages(entry->Config);
  entry->Modified = false;
}

std::array<QWidget*, 3> TFormLUM::EditorPages() const { return {ui_->tsPower, ui_->tsLoad, ui_->tsOther}; }

void TFormLUM::ShowNoDeviceType() {
  device_page_.ShowTypeInStatusBar();
  seInputExit();
  for (QWidget* page : EditorPages()) EmptyPage(*page);
  shown_channel_ = -1;
  pages_empty_ = true;
  RefreshShownTexts();
}

void TFormLUM::ShowPages(const TCONFIG_BLOCK& block) {
  Ui::TFormLUM& u = *ui_;
  pages_empty_ = false;
  for (QWidget* page : EditorPages()) page->setEnabled(true);
  ApplyCapabilities();
  const PageFlags flags = UnpackFuncFlags(block.FuncFlags());
  extensions_page_.Show(block, flags);
  // Only ever checked here; ApplyCapabilities has unchecked them.
  if (OwnEnabled(u.chkPWMDIM) && flags.pwmDimming) u.chkPWMDIM->setChecked(true);
  if (OwnEnabled(u.chkEnergySaving) && flags.energySaving) u.chkEnergySaving->setChecked(true);
  if (OwnEnabled(u.chkATC) && flags.tempComp) u.chkATC->setChecked(true);
  u.seOTP->setValue(block.OTP());

  for (const TextField& text : BlockTexts(u)) ShowText(text, block, {});
  SetDelayUnitFlag((block.SCDelay() & block_bits::kSCDelayUnit) != 0 ? 1 : 0);
  u.seSCDelay->setValue(block.SCDelay() & block_bits::kSCDelayValue);
  battery_page_.ShowMatchingType(block);

  ShowChannel(block, 0);
  device_page_.ShowTypeInStatusBar();
}

void TFormLUM::ApplyCapabilities() {
  Ui::TFormLUM& u = *ui_;
  const int row = device_page_.SelectedRow();
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

  const int channels = ChannelsOfRow(row);
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

void TFormLUM::ShowChannel(const TCONFIG_BLOCK& block, int channel) {
  Ui::TFormLUM& u = *ui_;
  const ConstChannel record = block.Channel(kPageGroup, channel);
  const int mode = record.Mode() & block_bits::kWorkModeMask;
  u.cbbWorkMode->setCurrentIndex(mode < u.cbbWorkMode->count() ? mode : -1);
  u.chkLoopMode->setChecked((record.Mode() & block_bits::kLoopMode) != 0);
  for (const TextField& text : ChannelTexts(u)) ShowText(text, block, {kPageGroup, channel});
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    const ConstTimeSegment segment = record.Timing(r - 1);
    SetGridText(*u.StringGrid, timing_grid::kMinutesColumn, r, QString::number(segment.Minutes()));
    SetGridText(*u.StringGrid, timing_grid::kPowerColumn, r, QString::number(segment.Power()));
  }
  RefreshShownTexts();
}

void TFormLUM::StoreText(const QLineEdit& edit, const char* name, TCONFIG_BLOCK& block, const FieldPlace& place) {
  const ConfigField& field = Field(name);
  const uint32_t stored = ReadValue(block, field, place);
  if (StoreTypedText(block, field, place, edit.text().toStdString())) return;
  // A value at or below its threshold is not stored; the user learns which and why.
  observer_.InfoLine(
      FormatText(kNotTakenLine, {NowStamp(), FieldCaption(edit).toStdString(), edit.text().toStdString(),
                                 FormatFieldNumber(field, field.storeAbove), FormatFieldNumber(field, stored)}));
}

void TFormLUM::StoreChannel(TCONFIG_BLOCK& block, int channel) {
  Ui::TFormLUM& u = *ui_;
  TCHANNEL_CONFIG record = block.Channel(kPageGroup, channel);
  record.SetMode(PackMode(u.cbbWorkMode->currentIndex(), u.chkLoopMode->isChecked()));
  for (const TextField& text : ChannelTexts(u))
    if (OwnEnabled(text.gate)) StoreText(*text.edit, text.name, block, {kPageGroup, channel});
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    TTIME_SEGMENT segment = record.Timing(r - 1);
    segment.SetMinutes(static_cast<uint16_t>(GridInteger(*u.StringGrid, timing_grid::kMinutesColumn, r)));
    segment.SetPower(static_cast<uint8_t>(GridInteger(*u.StringGrid, timing_grid::kPowerColumn, r)));
  }
}

void TFormLUM::StorePages(TCONFIG_BLOCK& block) {
  // Empty pages hold nothing of the entry: its block stays as it is.
  if (pages_empty_) return;
  Ui::TFormLUM& u = *ui_;
  block.SetProductID(ProductCodeOfRow(device_page_.SelectedRow()));
  PageFlags flags;
  extensions_page_.Store(block, flags);
  flags.pwmDimming = u.chkPWMDIM->isChecked();
  flags.energySaving = u.chkEnergySaving->isChecked();
  flags.tempComp = u.chkATC->isChecked();
  block.SetFuncFlags(PackFuncFlags(block.FuncFlags(), flags));

  if (OwnEnabled(u.seOTP)) block.SetOTP(static_cast<uint8_t>(u.seOTP->value()));
  for (const TextField& text : BlockTexts(u))
    if (OwnEnabled(text.gate)) StoreText(*text.edit, text.name, block, {});
  if (OwnEnabled(u.grpSolarControl)) block.SetSCDelay(PackSCDelay(u.seSCDelay->value(), DelayUnitFlag() == 1));

  const int channel = u.rgChannel->ItemIndex();
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, channel)) StoreChannel(block, channel);
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
  SizeGrid();
  for (int k = 0; k < u.rgChannel->Count(); ++k)
    u.rgChannel->SetItemText(k, ToQ(FormatText(messages_.Text(msg::kChannelItem), {int64_t{k + 1}})));
  device_page_.ShowTypeInStatusBar();
}

void TFormLUM::WriteGridCaptions() {
  QTableWidget& grid = *ui_->StringGrid;
  SetGridText(grid, 0, 0, Message(msg::kGridTitle));
  for (int r = 1; r <= block_layout::kSegments; ++r) SetGridText(grid, 0, r, Message(msg::kFirstSegment + r - 1));
  SetGridText(grid, timing_grid::kMinutesColumn, 0, Message(msg::kMinutesColumn));
  SetGridText(grid, timing_grid::kPowerColumn, 0, Message(msg::kPowerColumn));
  SizeGrid();
}

}  // namespace lum
