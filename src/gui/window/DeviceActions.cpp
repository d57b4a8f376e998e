// Connect (scan every port and read the controllers) and write, through the window's device
// session: the window asks, the session works on its own thread, and what it reports is shown
// as the window's event loop drains it.
#include <QAction>
#include <QMetaObject>

#include "DevicePage.h"
#include "FormLUM.h"
#include "MonitorPage.h"
#include "SettingsPage.h"
#include "WriteReview.h"
#include "base/SafeFormat.h"
#include "data/Backups.h"
#include "data/TypeTables.h"
#include "device/DeviceSession.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

void TFormLUM::ConnectDeviceActions() {
  // The session's thread only posts the window a call; the reports are shown on this thread.
  session_->SetWake([this] {
    QMetaObject::invokeMethod(
        this, [this] { RunGuarded([this] { session_->DrainEvents(); }); }, Qt::QueuedConnection);
  });
  Bind(ui_->actConnectDevice, &QAction::triggered, [this] { actConnectDeviceExecute(); });
  Bind(ui_->actWriteToDevice, &QAction::triggered, [this] { actWriteToDeviceExecute(); });
  Bind(ui_->tsSetting, &SettingsPage::readRequested, [this] { PreparedSession().ReadSettingsMemory(); });
  Bind(ui_->tsSetting, &SettingsPage::testRequested, [this] { PreparedSession().TestMemoryRead(); });
}

DeviceSession& TFormLUM::PreparedSession() {
  session_->SetMessages(messages_);
  session_->SetDeviceTypeNames(Device().ListedTypes());
  session_->SetFieldLabels(WindowFieldLabels(*this));
  session_->SetShowErrorDetails(ui_->tsTest->ShowsErrorDetails());
  return *session_;
}

void TFormLUM::actConnectDeviceExecute() {
  // A scan replaces the controllers' entries, so the edits of any entry are asked for; Cancel
  // or a field that is not a number stops the scan before it starts.
  if (ConfirmApply() == ApplyOutcome::Cancelled) return;
  // Ports plugged in since the last look are scanned too.
  ListPorts();
  Ui::TFormLUM& u = *ui_;
  u.actConnectDevice->setEnabled(false);
  u.actWriteToDevice->setEnabled(false);
  PreparedSession().Scan([this](bool found) {
    Ui::TFormLUM& done = *ui_;
    for (const std::string& line : BackUpReadEntries(data_dir_, Entries().DeviceEntries()).lines)
      observer_.InfoLine(line);
    // Even a scan that read nothing replaced the earlier device entries, so the tree is
    // rebuilt either way: it must never refer to them.
    RebuildEntryTree();
    TellSharedAddresses();
    if (found) {
      done.actWriteToDevice->setEnabled(true);
      done.actSaveConfigToFile->setEnabled(true);
    }
    done.actConnectDevice->setEnabled(true);
  });
}

// The live monitor holds its port, so a write cannot reach a controller there: the one the
// write goes to, or, when no controller of the product was read, possibly the one it is
// looking for. The user is asked to close it before anything else.
bool TFormLUM::MonitorKeepsWriteFromTarget(const TDEVICE_CONFIG& entry) const {
  const std::string held = monitor_.MonitoredPort();
  // A write without a known device type is refused before any port is tried.
  if (held.empty() || LookupProductID(entry.Config.ProductID()) < 0) return false;
  for (const auto& device : session_->Entries().DeviceEntries())
    if (device->Config.ProductID() == entry.Config.ProductID()) return device->Name == held;
  return true;
}

// What the write would change is shown first; it goes ahead only when confirmed.
void TFormLUM::actWriteToDeviceExecute() {
  if (ConfirmApply() == ApplyOutcome::Cancelled) return;
  const TDEVICE_CONFIG* shown = CurrentEntry();
  if (shown != nullptr && MonitorKeepsWriteFromTarget(*shown)) {
    const std::string question = FormatText(messages_.Text(msg::kMonitorHoldsPort), {monitor_.MonitoredPort()});
    if (!dialogs().AskYesNo(Message(msg::kChangesTitle), QString::fromStdString(question))) return;
    monitor_.CloseMonitor([this] { ReviewAndWrite(); });
    return;
  }
  ReviewAndWrite();
}

void TFormLUM::ReviewAndWrite() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  // An entry without a known device type is refused by the write itself: nothing to review.
  if (entry != nullptr && LookupProductID(entry->Config.ProductID()) >= 0 &&
      !dialogs().ConfirmChanges(WriteChangeList(*this, *entry)))
    return;
  // Once the controller holds them, the entry's values are no longer lost at the end.
  PreparedSession().Write(
      [this, entry, block = entry != nullptr ? entry->Config : TCONFIG_BLOCK{}](WriteResult result) {
        if (result == WriteResult::Verified && Entries().Contains(entry)) entry->Kept = block;
      });
}

}  // namespace lum
