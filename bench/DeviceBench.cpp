// Device operations against simulated controllers over pseudo-terminals with the real clock:
// each, run by a device session on its worker thread, compared with the fixed waits it cannot
// avoid; two sessions reading two controllers at once against one; and the CPU the monitor's
// polls take.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <memory>

#include "FixedWaits.h"
#include "MonitorPolls.h"
#include "QuietObserver.h"
#include "base/Clock.h"
#include "device/DeviceSession.h"
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

// A simulated controller on the real clock.
struct Bench {
  explicit Bench(const sim::ControllerSetup& setup) : controller(simulator.AddController(setup)) { simulator.Start(); }
  sim::Simulator simulator;
  sim::Controller& controller;
  QuietObserver observer;
};

// The session's run of an operation: asked for on this thread, run on the session's own.
using SessionRun = std::function<void(DeviceSession&)>;

void SessionScan(DeviceSession& session) {
  session.Scan();
  session.WaitIdle();
}

void SessionWrite(DeviceSession& session) {
  EntryStore& entries = session.Entries();
  if (entries.FileEntries().empty()) {
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Config = sim::DefaultSetup(kTwoChannelRow).config;
    entries.SetCurrentEntry(&entries.AddFileEntry(std::move(entry)));
  }
  session.Write();
  session.WaitIdle();
}

void AgainstFixedWaits(benchmark::State& state, const std::function<void(DeviceContext&)>& operation,
                       const SessionRun& run) {
  const sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  const auto floorMs = static_cast<double>(FixedWaitsMs(setup, operation));
  Bench bench(setup);
  auto session = DeviceSession::OnPort("COM1", bench.controller.Path(), bench.observer);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) run(*session);
  const double runMs = SecondsSince(start) * 1000.0 / static_cast<double>(state.iterations());
  state.counters["fixed_waits_ms"] = floorMs;
  state.counters["run_ms"] = runMs;
  state.counters["ratio"] = runMs / floorMs;
}

void BM_ScanAndReadTwoChannels(benchmark::State& state) { AgainstFixedWaits(state, ScanOnce, SessionScan); }
void BM_WriteTwoChannels(benchmark::State& state) { AgainstFixedWaits(state, WriteOnce, SessionWrite); }

// Two sessions on two ports reading their controllers at once, against one session alone:
// sessions share nothing, so the pair should take hardly longer than one.
void BM_TwoSessionsReadInParallel(benchmark::State& state) {
  const sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  sim::Simulator simulator;
  sim::Controller& first = simulator.AddController(setup);
  sim::Controller& second = simulator.AddController(setup);
  simulator.Start();
  QuietObserver firstObserver;
  QuietObserver secondObserver;
  auto a = DeviceSession::OnPort("COM1", first.Path(), firstObserver);
  auto b = DeviceSession::OnPort("COM2", second.Path(), secondObserver);
  double oneMs = 0;
  double twoMs = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    SessionScan(*a);
    oneMs += SecondsSince(start) * 1000.0;
    start = std::chrono::steady_clock::now();
    a->Scan();
    b->Scan();
    a->WaitIdle();
    b->WaitIdle();
    twoMs += SecondsSince(start) * 1000.0;
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["one_ms"] = oneMs / runs;
  state.counters["two_ms"] = twoMs / runs;
  state.counters["ratio"] = twoMs / oneMs;
}

// Polls back to back through a session, the busiest the monitor can be; at the timer's one
// poll a second the share is lower still. The process's CPU is counted: the session's two
// threads and the simulated controller's, so the monitor's own share is below it.
void BM_MonitorPollCpuShare(benchmark::State& state) {
  Bench bench(sim::DefaultSetup(kTwoChannelRow));
  DeviceSession session(PortMap{}, bench.observer);
  PollMonitor(state, session, bench.controller.Path());
}

BENCHMARK(BM_ScanAndReadTwoChannels)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteTwoChannels)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoSessionsReadInParallel)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MonitorPollCpuShare)->Iterations(kPolls)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace lum::bench

BENCHMARK_MAIN();
