#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Clock.h"
#include "data/DeviceConfig.h"
#include "device/AssignAddress.h"
#include "device/EventQueue.h"
#include "device/FieldLabels.h"
#include "device/JobThread.h"
#include "device/Monitor.h"
#include "device/QueuedObserver.h"
#include "device/Scan.h"
#include "device/Write.h"
#include "language/MessageTable.h"
#include "link/Link.h"
#include "link/LinkObserver.h"
#include "link/PortNames.h"
#include "upgrade/EffContent.h"
#include "upgrade/UpgradeMemo.h"

namespace lum {

/// A device session: the link over the ports it may use, the entry lists with CurrentEntry,
/// the live-monitor port, and the device operations on them (scan and read, write with
/// verification, monitor polls, memory reads, firmware upgrade). The window and lumctl each
/// hold one; provisioning holds one per port.
///
/// Threads. The session has an owner thread (the one that made it: the window's, lumctl's
/// main thread, a provisioning job's) and a worker thread of its own. Every exchange runs on
/// the worker, with the fixed waits of the protocol; the owner never waits on a port. What
/// the operations report (information and trace lines, measurements, upgrade lines and
/// progress) and their results come back as events that run on the owner's thread when it
/// calls DrainEvents: a window drains when woken (SetWake), lumctl and provisioning call
/// WaitIdle. The entry lists belong to the owner: an operation works on copies taken when it
/// is asked for and hands its changes over when its result is drained.
///
/// One rule for requests made while an operation runs: operations queue and run one at a
/// time, in the order asked; only a monitor poll is skipped instead while the session is
/// busy, since the next tick asks again.
///
/// Sessions share nothing mutable: sessions on different ports run in parallel.
///
/// Every member is called on the owner's thread.
class DeviceSession {
 public:
  using ScanDone = std::function<void(bool found)>;
  using WriteDone = std::function<void(WriteResult result)>;
  using OpenDone = std::function<void(bool opened)>;
  using UpgradeDone = std::function<void(bool completed)>;
  using AddressDone = std::function<void(AddressResult result)>;
  using Done = std::function<void()>;

  /// A session that scans and writes COM1..COM16 as `ports` maps them and reports to
  /// `observer` (called on the owner's thread only). Built-in message texts and device type
  /// names until others are set.
  DeviceSession(PortMap ports, LinkObserver& observer, Clock& clock = SystemClock());
  /// A session on one port only, `comName` ("COM1".."COM16") at the device path `path`: Scan
  /// reads the controller there (its entry is then the only device entry), Write writes
  /// there when the product matches. Throws std::invalid_argument for another name.
  static std::unique_ptr<DeviceSession> OnPort(const std::string& comName, const std::string& path,
                                               LinkObserver& observer, Clock& clock = SystemClock());
  /// Operations not yet started are dropped; a running one ends first; the monitor port is
  /// closed. Events not yet drained are not shown.
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  // --- Settings; each operation takes them as they are when it is asked for.
  void SetPorts(PortMap ports) { ports_ = std::move(ports); }
  const PortMap& Ports() const { return ports_; }
  void SetMessages(const MessageTable& messages) { messages_ = messages; }
  /// Device type names as the owner lists them (the "Connected device" line names the row).
  void SetDeviceTypeNames(DeviceTypeNames names) { type_names_ = std::move(names); }
  /// How the owner names fields (its pages' captions), for the lines of a refused write.
  void SetFieldLabels(FieldLabels labels) { labels_ = std::move(labels); }
  /// Whether line-error details go to the trace (CheckBoxError).
  void SetShowErrorDetails(bool show) { worker_observer_.SetShowErrorDetails(show); }

  // --- Events.
  /// Called from the worker whenever events wait after none did: the owner schedules a
  /// DrainEvents on its own thread. Must not call into the session.
  void SetWake(std::function<void()> wake) { events_.SetWake(std::move(wake)); }
  /// Shows the waiting reports and delivers the waiting results, in order. Returns how many ran.
  /// An operation that threw has no result: what it threw is thrown here, in its place.
  size_t DrainEvents() { return events_.Drain(); }
  /// Drains until every operation asked for has ended and its result was delivered (throws as
  /// DrainEvents does).
  void WaitIdle();
  /// An operation is waiting or running.
  bool Busy() const { return worker_->Pending() > 0; }

  // --- The entry lists (the owner's).
  EntryStore& Entries() { return entries_; }
  const EntryStore& Entries() const { return entries_; }
  /// The monitor port is open (as of the last result delivered).
  bool MonitorOpen() const { return monitor_open_; }
  /// The bus addresses that answered garbled in the last scan delivered.
  const std::vector<SharedAddress>& SharedAddresses() const { return shared_addresses_; }
  /// Why the last OpenMonitor failed (an errno value), 0 after one that opened.
  int MonitorOpenFailure() const { return monitor_failure_; }

  // --- Operations. Each is queued; `done` runs on the owner's thread with the result.
  /// Tries the session's ports in order; every port where a controller answers becomes a
  /// device entry, read from it. The device entries are replaced by these when the result is
  /// delivered, and the last one becomes CurrentEntry (CurrentEntry among the old ones falls
  /// back to the first file entry when no port opened). `found`: a controller was read.
  void Scan(ScanDone done = {});
  /// Writes CurrentEntry (as it is now) into the first controller of its product on the
  /// session's ports and verifies it. The serial number read back is carried into the entry
  /// when the result is delivered, and the device entry of the controller written, when it
  /// showed what the controller held, shows what it holds now.
  void Write(WriteDone done = {});
  /// Opens the live-monitor port at a device path (RxPos reset, 400 ms pause).
  /// Gives the controller at `from` on COMn (0: the one controller alone there) bus address
  /// `to`, verified (AssignAddress).
  void AssignAddress(int port, uint8_t from, uint8_t to, AddressDone done);

  void OpenMonitor(const std::string& path, OpenDone done = {});
  void CloseMonitor(Done done = {});
  /// One timer tick: the six measurement reads (none with `monitoringOn` false). Replies
  /// decode into CurrentEntry as it is now (its OTP follows the temperature reply). Returns
  /// false, asking nothing, while the session is busy or the monitor port is closed. On a bus,
  /// `busAddress` (not 0) polls that controller alone.
  bool Poll(bool monitoringOn, Done done = {}, uint8_t busAddress = 0);
  /// The settings page's five memory reads and "Test"'s one; nothing goes out while the
  /// monitor port is closed.
  void ReadSettingsMemory(Done done = {});
  void TestMemoryRead(Done done = {});
  /// The loader dialogue with `content` on its own port (`portPath`, shown as `portName`);
  /// lines and progress go to `memo` on the owner's thread, which must outlive the session.
  void Upgrade(const std::string& portName, const std::string& portPath, const EffContent& content, UpgradeMemo& memo,
               UpgradeDone done = {});

 private:
  /// A copy of the entry current when an operation was asked for, the link's entry while
  /// it runs; its changes go to the original when the result is delivered.
  struct Workspace;
  std::shared_ptr<Workspace> TakeWorkspace();
  void Deliver(const Workspace& workspace);
  void RunOnWorker(JobThread::Job job);
  /// Makes the worker's entry lists hold the workspace copy as CurrentEntry.
  void AttachOnWorker(Workspace& workspace);
  /// Runs `exchanges` on the monitor port with the workspace of CurrentEntry attached.
  void MonitorJob(std::function<void(Monitor&)> exchanges, Done done);

  LinkObserver& observer_;
  Clock& clock_;
  PortMap ports_;
  MessageTable messages_;
  DeviceTypeNames type_names_;
  FieldLabels labels_;
  EntryStore entries_;
  bool monitor_open_ = false;
  int monitor_failure_ = 0;
  std::vector<SharedAddress> shared_addresses_;

  EventQueue events_;
  // Used on the worker only.
  QueuedObserver worker_observer_{events_, observer_};
  Link link_{clock_, worker_observer_};
  EntryStore worker_entries_;
  Monitor monitor_{link_, worker_entries_};
  // Last: the thread stops before anything it uses goes away.
  std::unique_ptr<JobThread> worker_;
};

}  // namespace lum
