// Device operations against simulated controllers over pseudo-terminals with the real clock:
// each compared with the fixed waits it cannot avoid, and the CPU the monitor's polls take.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <memory>

#include "FixedWaits.h"
#include "QuietObserver.h"
#include "base/Clock.h"
#include "device/Monitor.h"
#include "device/Scan.h"
#include "device/Write.h"
#include "sim/Simulator.h"

namespace lum::bench {

namespace {

constexpr int kTwoChannelRow = 1;
constexpr int kRuns = 3;
constexpr int kPolls = 10;

void ScanOnce(DeviceContext& context) { ScanPorts(context, {}); }

void WriteOnce(DeviceContext& context) {
  if (context.entries.FileEntries().empty()) {
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Config = sim::DefaultSetup(kTwoChannelRow).config;
    context.entries.SetCurrentEntry(&context.entries.AddFileEntry(std::move(entry)));
  }
  WriteDevice(context);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ThreadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The simulated controller on COM1 and the link's surroundings on the real clock.
struct Bench {
  explicit Bench(const sim::ControllerSetup& setup) : controller(simulator.AddController(setup)) {
    simulator.Start();
    messages.FillBuiltIn();
  }
  sim::Simulator simulator;
  sim::Controller& controller;
  QuietObserver observer;
  Link link{SystemClock(), observer};
  EntryStore entries;
  PortMapOpener opener{PortMap::FromSection({{"COM1", controller.Path()}}), &observer};
  MessageTable messages;
  DeviceContext context{link, entries, opener, messages};
};

void AgainstFixedWaits(benchmark::State& state, const std::function<void(DeviceContext&)>& operation) {
  const sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  const auto floorMs = static_cast<double>(FixedWaitsMs(setup, operation));
  Bench bench(setup);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) operation(bench.context);
  const double runMs = SecondsSince(start) * 1000.0 / static_cast<double>(state.iterations());
  state.counters["fixed_waits_ms"] = floorMs;
  state.counters["run_ms"] = runMs;
  state.counters["ratio"] = runMs / floorMs;
}

void BM_ScanAndReadTwoChannels(benchmark::State& state) { AgainstFixedWaits(state, ScanOnce); }
void BM_WriteTwoChannels(benchmark::State& state) { AgainstFixedWaits(state, WriteOnce); }

// Polls back to back, the busiest the monitor can be; at the timer's one poll a second the
// share is lower still.
void BM_MonitorPollCpuShare(benchmark::State& state) {
  Bench bench(sim::DefaultSetup(kTwoChannelRow));
  Monitor monitor(bench.link, bench.entries);
  if (!monitor.Open(bench.controller.Path())) {
    state.SkipWithError("monitor port did not open");
    return;
  }
  const double cpuBefore = ThreadCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) monitor.Poll(true);
  state.counters["cpu_share"] = (ThreadCpuSeconds() - cpuBefore) / SecondsSince(start);
}

BENCHMARK(BM_ScanAndReadTwoChannels)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteTwoChannels)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MonitorPollCpuShare)->Iterations(kPolls)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace lum::bench

BENCHMARK_MAIN();
