// The mapping between a configuration entry and the editor pages, both directions: the window
// asks each page for its part.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <array>

#include "EmptyPage.h"
#include "FormLUM.h"
#include "PageFields.h"
#include "WindowNames.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
// A text field of the battery page, the field it shows and the control whose own enabled flag
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
  load_page_.seInputExit();
  for (QWidget* page : EditorPages()) EmptyPage(*page);
  load_page_.ForgetShownChannel();
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
  // Only ever checked here; ApplyCapabilities has unchecked it.
  if (OwnEnabled(u.chkATC) && flags.tempComp) u.chkATC->setChecked(true);
  u.seOTP->setValue(block.OTP());

  for (const TextField& text : BlockTexts(u)) ShowFieldText(*text.edit, text.name, block);
  SetDelayUnitFlag((block.SCDelay() & block_bits::kSCDelayUnit) != 0 ? 1 : 0);
  u.seSCDelay->setValue(block.SCDelay() & block_bits::kSCDelayValue);
  battery_page_.ShowMatchingType(block);

  load_page_.Show(block, flags);
  device_page_.ShowTypeInStatusBar();
}

void TFormLUM::ApplyCapabilities() {
  Ui::TFormLUM& u = *ui_;
  const int row = device_page_.SelectedRow();
  const uint8_t capFlags = CurrentEntry() != nullptr ? CurrentEntry()->Config.CapFlags() : 0;
  const Capabilities caps = ResolveCapabilities(capFlags, row);

  load_page_.ApplyCapabilities(caps, ChannelsOfRow(row));

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

void TFormLUM::StorePages(TCONFIG_BLOCK& block) {
  // Empty pages hold nothing of the entry: its block stays as it is.
  if (pages_empty_) return;
  Ui::TFormLUM& u = *ui_;
  block.SetProductID(ProductCodeOfRow(device_page_.SelectedRow()));
  PageFlags flags;
  extensions_page_.Store(block, flags);
  load_page_.StoreFlags(flags);
  flags.tempComp = u.chkATC->isChecked();
  block.SetFuncFlags(PackFuncFlags(block.FuncFlags(), flags));

  if (OwnEnabled(u.seOTP)) block.SetOTP(static_cast<uint8_t>(u.seOTP->value()));
  for (const TextField& text : BlockTexts(u))
    if (OwnEnabled(text.gate)) StoreFieldText(*text.edit, text.name, block, {}, observer_);
  if (OwnEnabled(u.grpSolarControl)) block.SetSCDelay(PackSCDelay(u.seSCDelay->value(), DelayUnitFlag() == 1));

  load_page_.Store(block);
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
      load_page_.ForgetShownChannel();
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
  // Flag 1 (the start value) counts seconds, 0 minutes.
  QPushButton& unit = *ui_->btnSCDelayUnit;
  unit.setText(Message(DelayUnitFlag() == 1 ? msg::kSecondsUnit : msg::kMinutesUnit));
  // The design's 24 pixels hold "秒" or "s", not every language's name of the unit.
  constexpr int kUnitPadding = 8;
  unit.setMaximumWidth(std::max(unit.minimumWidth(), unit.fontMetrics().horizontalAdvance(unit.text()) + kUnitPadding));
  unit.setMinimumWidth(unit.maximumWidth());
  load_page_.RefreshShownTexts();
  device_page_.ShowTypeInStatusBar();
}

}  // namespace lum
