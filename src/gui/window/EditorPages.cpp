// The mapping between a configuration entry and the editor pages, both directions: the window
// asks each page for its part.
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <array>

#include "BatteryPage.h"
#include "DevicePage.h"
#include "EmptyPage.h"
#include "ExtensionsPage.h"
#include "FormLUM.h"
#include "LoadPage.h"
#include "RealTimePage.h"
#include "WindowNames.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

void TFormLUM::ShowEntry() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr) return;
  Device().Show(*entry);
  if (Device().SelectedRow() < 0)
    ShowNoDeviceType();
  else
    ShowPages(entry->Config);
  entry->Modified = false;
}

DevicePage& TFormLUM::Device() { return *ui_->tsBase; }

BatteryPage& TFormLUM::Battery() { return *ui_->tsPower; }

LoadPage& TFormLUM::Load() { return *ui_->tsLoad; }

RealTimePage& TFormLUM::RealTime() { return *ui_->tsReal; }

std::array<QWidget*, 3> TFormLUM::EditorPages() const { return {ui_->tsPower, ui_->tsLoad, ui_->tsOther}; }

void TFormLUM::ShowNoDeviceType() {
  ShowDeviceTypeInStatusBar();
  Load().LeaveEditor();
  for (QWidget* page : EditorPages()) EmptyPage(*page);
  Load().ForgetShownChannel();
  pages_empty_ = true;
  RefreshShownTexts();
}

void TFormLUM::ShowPages(const TCONFIG_BLOCK& block) {
  pages_empty_ = false;
  for (QWidget* page : EditorPages()) page->setEnabled(true);
  ApplyCapabilities();
  const PageFlags flags = UnpackFuncFlags(block.FuncFlags());
  ui_->tsOther->Show(block, flags);
  Battery().Show(block, flags);
  Load().Show(block, flags);
  ShowDeviceTypeInStatusBar();
}

void TFormLUM::ApplyCapabilities() {
  const int row = Device().SelectedRow();
  const uint8_t capFlags = CurrentEntry() != nullptr ? CurrentEntry()->Config.CapFlags() : 0;
  const Capabilities caps = ResolveCapabilities(capFlags, row);

  Load().ApplyCapabilities(caps, ChannelsOfRow(row));
  Battery().ApplyCapabilities(caps);
}

void TFormLUM::StorePages(TCONFIG_BLOCK& block) {
  // Empty pages hold nothing of the entry: its block stays as it is.
  if (pages_empty_) return;
  block.SetProductID(ProductCodeOfRow(Device().SelectedRow()));
  PageFlags flags;
  ui_->tsOther->Store(block, flags);
  Load().StoreFlags(flags);
  Battery().StoreFlags(flags);
  block.SetFuncFlags(PackFuncFlags(block.FuncFlags(), flags));
  Battery().Store(block);
  Load().Store(block);
}

ApplyOutcome TFormLUM::ConfirmApply() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr || !entry->Modified) return ApplyOutcome::Proceed;
  switch (dialogs_->AskYesNoCancel(Message(msg::kApplyTitle), Message(msg::kApplyQuestion))) {
    case Answer::Yes:
      StorePages(entry->Config);
      entry->Modified = false;
      return ApplyOutcome::Proceed;
    case Answer::No:
      // Nothing shown for the edits may be stored afterwards, not even the shown channel.
      Load().ForgetShownChannel();
      ShowEntry();
      return ApplyOutcome::Proceed;
    case Answer::Cancel:
      break;
  }
  return ApplyOutcome::Cancelled;
}

void TFormLUM::RefreshShownTexts() {
  Battery().RefreshShownTexts();
  Load().RefreshShownTexts();
  monitor_.RefreshShownTexts();
  ShowDeviceTypeInStatusBar();
  if (auto* scale = ui_->ToolBar->findChild<QToolButton*>(QStringLiteral("ToolButton1")))
    scale->setToolTip(Message(msg::kScaleTip));
}

void TFormLUM::ShowDeviceTypeInStatusBar() { StatusPanel(names::kDevicePanel).setText(Device().SelectedTypeName()); }

}  // namespace lum
