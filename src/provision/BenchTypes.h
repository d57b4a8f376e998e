#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "store/CommissioningRecord.h"

namespace lum {

/// What a bench port is doing.
enum class PortPhase {
  Waiting,    // no unit answers: waiting for one to be plugged
  Reading,    // reading the unit's identity and configuration
  Upgrading,  // installing the job's upgrade file: the unit is to be restarted into its loader
  Writing,    // writing the job's configuration with the unit's overrides
  Verifying,  // reading the whole configuration back
  Unplug,     // finished: waiting for the unit to be taken away
};

/// "waiting", "reading", "upgrading: restart the unit", "writing", "verifying", "unplug the unit".
const char* PhaseText(PortPhase phase);

/// One port of the bench as people see it.
struct PortState {
  std::string port;  // COMn
  PortPhase phase = PortPhase::Waiting;
  int progress = 0;                      // 0..100 through the unit's steps
  std::string unit;                      // model and serial number of the unit on the port, once read
  std::optional<store::Outcome> result;  // of the unit on the port, or of the last one
  std::string reason;
  std::string recordError;  // why that unit's record was not kept (empty when it was)
  /// The port does not open because a program holds it: "name (pid N)", or empty when the
  /// holder cannot be seen; nullopt while the port is not held.
  std::optional<std::string> heldBy;
};

/// "held by name (pid N)", "held by another program", or the phase's text.
std::string PortStateText(const PortState& state);

/// A unit whose record could not be kept, or a port that could not go on: either stops the
/// bench (the other ports finish the unit they hold).
struct BenchFault {
  std::string port;                                // COMn; empty for the records' last send
  std::optional<store::CommissioningRecord> unit;  // the unit handled but not recorded
  std::string error;
};

/// "COM1 0100000001 done, not recorded: why", or "COM1 stopped: why".
std::string FaultText(const BenchFault& fault);

/// How a bench runs.
struct BenchSettings {
  std::string bench;         // recorded with every row
  std::string operatorName;  // recorded with every row
  int count = 0;             // stop after this many units were finished (0: until stopped)
  bool force = false;        // write units already done with this job and configuration again
  /// Pause between two looks for a unit on an empty port, or for its removal.
  std::chrono::milliseconds presencePoll{300};
};

/// Units finished so far, by result.
struct BenchCounts {
  int done = 0;
  int failed = 0;
  int refused = 0;
  int interrupted = 0;
  int alreadyDone = 0;
  int unreadable = 0;
  double donePerHour = 0;
  int Finished() const { return done + failed + refused + alreadyDone + unreadable; }
};

/// What a bench tells while it runs. Called from the ports' threads: an implementation
/// passes the news on to its own thread.
class BenchObserver {
 public:
  virtual ~BenchObserver() = default;
  virtual void PortChanged(const PortState& state) = 0;
  virtual void Recorded(const store::CommissioningRecord& /*record*/) {}
  virtual void Faulted(const BenchFault& /*fault*/) {}
};

}  // namespace lum
