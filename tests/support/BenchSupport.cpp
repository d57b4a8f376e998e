#include "support/BenchSupport.h"

#include <algorithm>
#include <fstream>

#include "data/ConfigFile.h"
#include "sim/ControllerSetup.h"

namespace lum {

namespace {
constexpr int kRow = 1;
}

void RecordingBench::PortChanged(const PortState& state) {
  {
    std::lock_guard lock(mutex_);
    states_.push_back(state);
  }
  changed_.notify_all();
}

size_t RecordingBench::StateCount() {
  std::lock_guard lock(mutex_);
  return states_.size();
}

bool RecordingBench::WaitForPhase(const std::string& port, PortPhase phase, size_t since,
                                  std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    for (size_t i = since; i < states_.size(); ++i)
      if (states_[i].port == port && states_[i].phase == phase) return true;
    return false;
  });
}

bool RecordingBench::WaitForState(const std::function<bool(const PortState&)>& matches, std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return std::any_of(states_.begin(), states_.end(), matches); });
}

void RecordingBench::Recorded(const store::CommissioningRecord& record) {
  {
    std::lock_guard lock(mutex_);
    records_.push_back(record);
  }
  changed_.notify_all();
}

void RecordingBench::Faulted(const BenchFault& fault) {
  {
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
  }
  changed_.notify_all();
}

bool RecordingBench::WaitForUnit(uint32_t serialNumber, std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    for (const auto& record : records_)
      if (record.serialNumber == serialNumber) return true;
    for (const auto& fault : faults_)
      if (fault.unit && fault.unit->serialNumber == serialNumber) return true;
    return false;
  });
}

std::vector<BenchFault> RecordingBench::Faults() {
  std::lock_guard lock(mutex_);
  return faults_;
}

bool RecordingBench::WaitForRecords(size_t count, std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return records_.size() >= count; });
}

std::vector<store::CommissioningRecord> RecordingBench::Records() {
  std::lock_guard lock(mutex_);
  return records_;
}

std::vector<PortState> RecordingBench::States() {
  std::lock_guard lock(mutex_);
  return states_;
}

SimulatedBench::SimulatedBench(int ports) {
  sim::ControllerSetup empty = sim::DefaultSetup(kRow);
  empty.unplugged = true;
  for (int i = 0; i < ports; ++i) ports_.push_back(&simulator_.AddController(empty));
  simulator_.Start();
}

PortMap SimulatedBench::Ports(int first, int count) const {
  PortMap::Entries entries;
  const int last = count < 0 ? static_cast<int>(ports_.size()) : first + count - 1;
  for (int n = first; n <= last; ++n) entries.emplace_back(ComName(n), ports_.at(static_cast<size_t>(n - 1))->Path());
  return PortMap::FromSection(entries);
}

sim::ControllerSetup SimulatedBench::Unit(uint32_t serial) {
  sim::ControllerSetup setup = sim::DefaultSetup(kRow);
  setup.serialNumber = serial;
  setup.memory = sim::FactoryMemory(setup);
  return setup;
}

TCONFIG_BLOCK JobBlock() {
  TCONFIG_BLOCK block = sim::DefaultSetup(kRow).config;
  block.SetBattOVP(14600);
  block.SetBattUVR(12600);
  block.SetSCV(520);
  block.Channel(0, 0).SetCC(1200);
  block.Channel(0, 1).Timing(2).SetMinutes(45);
  return block;
}

std::string WriteJobFiles(const std::string& dir, const std::string& extra) {
  SaveConfigFile(dir + "/night.LUM", JobBlock());
  const std::string path = dir + "/job.json";
  std::ofstream(path) << R"({"name": "street", "config": "night.LUM")" << (extra.empty() ? "" : ", " + extra) << "}";
  return path;
}

}  // namespace lum
