#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "provision/Bench.h"
#include "sim/Simulator.h"

namespace lum {

/// Collects what a bench reports, from any thread.
class RecordingBench : public BenchObserver {
 public:
  void PortChanged(const PortState& state) override;
  void Recorded(const store::CommissioningRecord& record) override;
  void Faulted(const BenchFault& fault) override;
  /// Waits until `count` records arrived; false when the time ran out.
  bool WaitForRecords(size_t count, std::chrono::seconds timeout = std::chrono::seconds(60));
  /// Waits until the unit was finished: recorded, or named by a fault as not recorded.
  bool WaitForUnit(uint32_t serialNumber, std::chrono::seconds timeout = std::chrono::seconds(60));
  std::vector<store::CommissioningRecord> Records();
  std::vector<BenchFault> Faults();
  std::vector<PortState> States();
  size_t StateCount();
  /// Waits until a state for which `matches` holds arrives (or has arrived).
  bool WaitForState(const std::function<bool(const PortState&)>& matches,
                    std::chrono::seconds timeout = std::chrono::seconds(60));
  /// Waits until a state of `port` in `phase` arrives, later than the first `since` states.
  bool WaitForPhase(const std::string& port, PortPhase phase, size_t since,
                    std::chrono::seconds timeout = std::chrono::seconds(60));

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<store::CommissioningRecord> records_;
  std::vector<BenchFault> faults_;
  std::vector<PortState> states_;
};

/// Simulated bench ports (empty until a unit is plugged), a job written into the test's
/// folder and the bench's settings, for tests and benchmarks alike.
class SimulatedBench {
 public:
  /// `ports` empty ports of device type row 1.
  explicit SimulatedBench(int ports);
  sim::Controller& Port(int n) { return *ports_.at(static_cast<size_t>(n - 1)); }
  PortMap Ports(int first = 1, int count = -1) const;
  /// A unit of row 1 with this serial number (firmware 1.2.3).
  static sim::ControllerSetup Unit(uint32_t serial);

 private:
  sim::Simulator simulator_;
  std::vector<sim::Controller*> ports_;
};

/// The job used by the tests: the default row-1 configuration with new battery, light-control
/// and channel values, so that a written unit differs from a fresh one.
TCONFIG_BLOCK JobBlock();
/// Writes night.LUM and job.json (with `extra` JSON members, e.g. R"("minFirmware": "1.2.4")")
/// into `dir`; returns the job file's path.
std::string WriteJobFiles(const std::string& dir, const std::string& extra = {});

}  // namespace lum
