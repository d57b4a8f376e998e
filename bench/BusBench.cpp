// A bus of eight controllers among addresses 1..32 on one pseudo-terminal: the scan against
// the fixed waits of its sequence (silent addresses waited out in full), and the CPU that
// monitoring all eight takes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "FixedWaits.h"
#include "MonitorPolls.h"
#include "QuietObserver.h"
#include "device/DeviceSession.h"
#include "device/Scan.h"
#include "sim/Simulator.h"

namespace lum::bench {

namespace {

constexpr int kRow = 1;
constexpr int kRuns = 1;
constexpr int kPolls = 10;
constexpr uint8_t kUnitAddresses[] = {2, 5, 6, 11, 17, 23, 29, 32};
constexpr const char* kLookedAt = "1-32";

std::vector<sim::ControllerSetup> Units() {
  std::vector<sim::ControllerSetup> units;
  for (const uint8_t address : kUnitAddresses) units.push_back(sim::BusUnit(kRow, address, address));
  return units;
}

BusAddresses LookedAt() {
  std::string error;
  return *ParseBusAddresses(kLookedAt, &error);
}

void BM_ScanBusOfEightAmongThirtyTwo(benchmark::State& state) {
  const std::vector<sim::ControllerSetup> units = Units();
  const auto floorMs =
      static_cast<double>(BusFixedWaitsMs(units, LookedAt(), [](DeviceContext& context) { ScanPorts(context, {}); }));
  sim::Simulator simulator;
  sim::Controller& bus = simulator.AddBus(units.front(), units);
  simulator.Start();
  QuietObserver observer;
  PortMap ports = PortMap::FromSection({{"COM1", bus.Path()}});
  ports.SetBus(1, LookedAt());
  DeviceSession session(ports, observer);
  size_t found = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    session.Scan();
    session.WaitIdle();
    found = session.Entries().DeviceEntries().size();
  }
  const double runMs = SecondsSince(start) * 1000.0 / static_cast<double>(state.iterations());
  if (found != std::size(kUnitAddresses)) state.SkipWithError("the scan did not find every controller");
  state.counters["fixed_waits_ms"] = floorMs;
  state.counters["run_ms"] = runMs;
  state.counters["ratio"] = runMs / floorMs;
}

// Polls of all eight back to back, the busiest the monitor can be; the process's CPU counts
// the simulator's thread as well.
void BM_MonitorBusOfEightCpuShare(benchmark::State& state) {
  const std::vector<sim::ControllerSetup> units = Units();
  sim::Simulator simulator;
  sim::Controller& bus = simulator.AddBus(units.front(), units);
  simulator.Start();
  QuietObserver observer;
  PortMap ports = PortMap::FromSection({{"COM1", bus.Path()}});
  ports.SetBus(1, BusAddresses(std::begin(kUnitAddresses), std::end(kUnitAddresses)));
  DeviceSession session(ports, observer);
  const double seconds = PollMonitor(state, session, bus.Path());
  if (seconds <= 0) return;
  state.counters["polls_per_controller_per_s"] = static_cast<double>(state.iterations()) / seconds;
}

BENCHMARK(BM_ScanBusOfEightAmongThirtyTwo)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MonitorBusOfEightCpuShare)->Iterations(kPolls)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace lum::bench
