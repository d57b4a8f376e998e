#include "provision/Bench.h"

#include <fmt/format.h>

#include "data/NumberFormats.h"

namespace lum {

namespace {
constexpr double kMsPerHour = 3600.0 * 1000.0;
}

const char* PhaseText(PortPhase phase) {
  switch (phase) {
    case PortPhase::Waiting:
      return "waiting";
    case PortPhase::Reading:
      return "reading";
    case PortPhase::Upgrading:
      return "upgrading: restart the unit";
    case PortPhase::Writing:
      return "writing";
    case PortPhase::Verifying:
      return "verifying";
    case PortPhase::Unplug:
      return "unplug the unit";
  }
  return "";
}

std::string PortStateText(const PortState& state) {
  if (!state.heldBy) return PhaseText(state.phase);
  return "held by " + (state.heldBy->empty() ? std::string("another program") : *state.heldBy);
}

std::string FaultText(const BenchFault& fault) {
  if (!fault.unit) return fmt::format("{} stopped: {}", fault.port.empty() ? "the bench" : fault.port, fault.error);
  return fmt::format("{} {} {}, not recorded: {}", fault.port, FormatSerial(fault.unit->serialNumber),
                     store::OutcomeText(fault.unit->result), fault.error);
}

Bench::Bench(const ProvisioningJob& job, store::RecordStore& records, const PortMap& ports, BenchSettings settings,
             BenchObserver& observer, Clock& clock)
    : job_(job), records_(records), settings_(std::move(settings)), observer_(observer), clock_(clock) {
  for (int n = kFirstComPort; n <= kLastComPort; ++n) {
    const auto path = ports.PathOf(n);
    if (!path) continue;
    port_names_.push_back(ComName(n));
    ports_.push_back(std::make_unique<BenchPort>(
        ComName(n), *path,
        BenchPort::Shared{job_, records_, settings_, observer_, stopping_, clock_,
                          [this](const store::CommissioningRecord& record) { Count(record); },
                          [this](const BenchFault& fault) { Fault(fault); }}));
  }
}

Bench::~Bench() { Stop(); }

void Bench::Start() {
  if (!stopping_.exchange(false)) return;
  started_ = std::chrono::steady_clock::now();
  running_ports_ = ports_.size();
  for (auto& port : ports_)
    threads_.emplace_back([this, &port] {
      port->Run();
      --running_ports_;
    });
}

void Bench::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
}

void Bench::Stop() {
  RequestStop();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  try {
    records_.Flush();
  } catch (const std::exception& e) {
    Fault({"", std::nullopt, fmt::format("records waiting in the spool were not sent: {}", e.what())});
  }
}

void Bench::WaitFinished() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || (settings_.count > 0 && counts_.Finished() >= settings_.count); });
  }
  Stop();
}

void Bench::Count(const store::CommissioningRecord& record) {
  {
    std::lock_guard lock(mutex_);
    switch (record.result) {
      case store::Outcome::Done:
        ++counts_.done;
        break;
      case store::Outcome::Failed:
        ++counts_.failed;
        break;
      case store::Outcome::Refused:
        ++counts_.refused;
        break;
      case store::Outcome::Interrupted:
        ++counts_.interrupted;
        break;
      case store::Outcome::AlreadyDone:
        ++counts_.alreadyDone;
        break;
      case store::Outcome::Unreadable:
        ++counts_.unreadable;
        break;
    }
    if (settings_.count > 0 && counts_.Finished() >= settings_.count) stopping_ = true;
  }
  changed_.notify_all();
}

void Bench::Fault(const BenchFault& fault) {
  {
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
    stopping_ = true;
  }
  observer_.Faulted(fault);
  changed_.notify_all();
}

std::vector<BenchFault> Bench::Faults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

BenchCounts Bench::Counts() const {
  std::lock_guard lock(mutex_);
  BenchCounts counts = counts_;
  const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_).count();
  counts.donePerHour = elapsed > 0 ? counts.done * kMsPerHour / elapsed : 0;
  return counts;
}

}  // namespace lum
