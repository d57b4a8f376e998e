#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "data/DeviceConfig.h"
#include "device/DeviceSession.h"
#include "provision/BenchTypes.h"
#include "provision/Job.h"
#include "provision/PortLook.h"
#include "store/RecordStore.h"

namespace lum {

/// One port of a bench, run on a thread of its own with a device session on that port: waits
/// for a unit, provisions it, records the attempt and waits for the unit to be taken away.
class BenchPort {
 public:
  struct Shared {
    const ProvisioningJob& job;
    store::RecordStore& records;
    const BenchSettings& settings;
    BenchObserver& observer;
    std::atomic<bool>& stopping;
    /// The port's own waits: between looks, and for a unit restarting after its write. The
    /// exchanges keep the real clock, since a controller answers in real time.
    Clock& clock;
    /// Called with every unit's record once the unit is finished, stored or not.
    std::function<void(const store::CommissioningRecord&)> counted;
    /// Called when a unit's record could not be stored or the port cannot go on.
    std::function<void(const BenchFault&)> faulted;
  };

  BenchPort(std::string comName, const std::string& path, Shared shared);
  ~BenchPort();
  BenchPort(const BenchPort&) = delete;
  BenchPort& operator=(const BenchPort&) = delete;

  /// The thread's body; returns once `stopping` is set (after the attempt under way). Throws
  /// nothing: a failure becomes the unit's result, or a fault when it is outside a unit.
  void Run();

 private:
  class Lines;
  class UpgradeLines;
  /// Scans the port.
  PortLook Look();
  /// Scans the port: the unit's entry, or null when none answers (or the read was not complete).
  const TDEVICE_CONFIG* ReadUnit();
  /// Looks for a unit that stopped answering during its write, for as long as a restart takes.
  const TDEVICE_CONFIG* ReadAfterRestart();
  /// Shows who holds the port while it does not open (nullopt: nobody).
  void ShowHolder(const std::optional<std::string>& heldBy);
  /// A record of the unit as read, with the bench's and job's names; the port shows the unit.
  store::CommissioningRecord NewRecord(const TDEVICE_CONFIG& unit);
  /// The record of a unit that answered but could not be read whole.
  store::CommissioningRecord NotRead(LookKind kind, const TDEVICE_CONFIG& unit);
  /// One look at the port: a unit that answers is provisioned, recorded and waited for until
  /// it is taken away.
  void Serve();
  store::CommissioningRecord Attempt(const TDEVICE_CONFIG& before);
  /// Upgrades when needed, then provisions.
  void Steps(const TDEVICE_CONFIG& before, store::CommissioningRecord& record);
  /// Stores the record and tells it; a record that cannot be stored is a fault.
  void Keep(const store::CommissioningRecord& record);
  /// Refuses the unit, finds it already done, or writes it.
  void Provision(const TDEVICE_CONFIG& unit, store::CommissioningRecord& record);
  /// Writes and reads back; fills the record's result, reason and after-block.
  void WriteAndVerify(const TCONFIG_BLOCK& target, const TDEVICE_CONFIG& before, store::CommissioningRecord& record);
  /// Installs the job's upgrade file and reads the unit again: the unit as it is now, or
  /// nullopt with the record's result and reason filled when the upgrade did not complete or
  /// the unit did not come back.
  std::optional<TDEVICE_CONFIG> Upgrade(const TDEVICE_CONFIG& before, store::CommissioningRecord& record);
  /// Until the unit stops answering, or another unit answers in its place.
  void WaitUntilUnplugged(uint32_t serialNumber);
  void Report(PortPhase phase, int progress);
  void Pause();

  std::string com_name_;
  std::string path_;
  Shared shared_;
  std::unique_ptr<Lines> lines_;
  std::unique_ptr<UpgradeLines> upgrade_lines_;
  std::unique_ptr<DeviceSession> session_;
  PortState state_;
};

}  // namespace lum
