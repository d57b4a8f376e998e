// Connect (scan every port and read the controllers) and write, and holding back a user's
// click while the link is in use.
#include <QAction>
#include <QComboBox>
#include <QTimer>
#include <algorithm>

#include "FormLUM.h"
#include "device/DeviceContext.h"
#include "device/PortOpener.h"
#include "device/Scan.h"
#include "device/Write.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
// How soon a click held back by a running exchange is tried again.
constexpr int kIdleRetryMs = 50;

// While a device operation runs, the entry it reads or writes stays CurrentEntry.
class BusyScope {
 public:
  explicit BusyScope(TFormLUM& window) : window_(window) { window_.SetBusy(true); }
  ~BusyScope() { window_.SetBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  TFormLUM& window_;
};

// The names of the device types as the window lists them (a language may have renamed them).
DeviceTypeNames ListedDeviceTypes(const QComboBox& list) {
  DeviceTypeNames names;
  for (int i = 0; i < list.count(); ++i) names.push_back(list.itemText(i).toStdString());
  return names;
}
}  // namespace

void TFormLUM::ConnectDeviceActions() {
  connect(ui_->actConnectDevice, &QAction::triggered, this,
          [this] { RunWhenIdle(&TFormLUM::actConnectDeviceExecute); });
  connect(ui_->actWriteToDevice, &QAction::triggered, this,
          [this] { RunWhenIdle(&TFormLUM::actWriteToDeviceExecute); });
}

void TFormLUM::RunWhenIdle(void (TFormLUM::*handler)()) {
  if (!busy_ && !link_.Busy()) {
    RunGuarded([this, handler] { (this->*handler)(); });
    return;
  }
  if (std::find(deferred_.begin(), deferred_.end(), handler) != deferred_.end()) return;
  deferred_.push_back(handler);
  QTimer::singleShot(kIdleRetryMs, this, [this, handler] {
    std::erase(deferred_, handler);
    RunWhenIdle(handler);
  });
}

void TFormLUM::actConnectDeviceExecute() {
  // A scan replaces the controllers' entries, so the edits of any entry are asked for; Cancel
  // or a field that is not a number stops the scan before it starts.
  ConfirmApply();
  // Ports plugged in since the last look are scanned too.
  ListPorts();
  Ui::TFormLUM& u = *ui_;
  const bool writeWasEnabled = u.actWriteToDevice->isEnabled();
  u.actConnectDevice->setEnabled(false);
  u.actWriteToDevice->setEnabled(false);

  bool found = false;
  try {
    BusyScope busy(*this);
    PortMapOpener opener(ports_, &observer_);
    DeviceContext context{link_, entries_, opener, messages_};
    found = ScanPorts(context, ListedDeviceTypes(*u.cbbDeviceTypes));
  } catch (...) {
    u.actWriteToDevice->setEnabled(writeWasEnabled);
    u.actConnectDevice->setEnabled(true);
    throw;
  }

  // Even a scan that read nothing discarded the earlier device entries, so the tree is
  // rebuilt either way: it must never refer to them.
  RebuildEntryTree();
  if (found) {
    u.actWriteToDevice->setEnabled(true);
    u.actSaveConfigToFile->setEnabled(true);
  }
  u.actConnectDevice->setEnabled(true);
}

void TFormLUM::actWriteToDeviceExecute() {
  ConfirmApply();
  BusyScope busy(*this);
  PortMapOpener opener(ports_, &observer_);
  DeviceContext context{link_, entries_, opener, messages_};
  WriteDevice(context);
}

}  // namespace lum
