// Provisioning on a bench of simulated controllers with the real clock: sixteen units on
// sixteen ports at once against one unit alone (each port runs on its own thread).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "data/TempDir.h"
#include "provision/Bench.h"
#include "support/BenchSupport.h"

namespace lum::bench {

namespace {

constexpr int kRuns = 2;
constexpr int kParallelPorts = 16;
constexpr std::chrono::milliseconds kPoll{50};

// From the bench's start to the last record, every unit plugged in beforehand.
double ProvisionMs(int ports, const ProvisioningJob& job, const std::string& dir) {
  SimulatedBench simulated(ports);
  for (int n = 1; n <= ports; ++n) simulated.Port(n).Plug(SimulatedBench::Unit(0x03000000u + static_cast<uint32_t>(n)));
  store::RecordStore records(dir + "/bench.db", dir + "/spool.db");
  RecordingBench seen;
  BenchSettings settings;
  settings.presencePoll = kPoll;
  settings.force = true;  // the same serial numbers come back every run
  Bench bench(job, records, simulated.Ports(), settings, seen);
  const auto start = std::chrono::steady_clock::now();
  bench.Start();
  seen.WaitForRecords(static_cast<size_t>(ports));
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  bench.Stop();
  return ms;
}

void BM_SixteenUnitsInParallelAgainstOne(benchmark::State& state) {
  const ScratchDir scratch;
  const std::string dir = scratch.path().string();
  const ProvisioningJob job = LoadJob(WriteJobFiles(dir));
  double oneMs = 0, sixteenMs = 0;
  for (auto _ : state) {
    oneMs += ProvisionMs(1, job, dir);
    sixteenMs += ProvisionMs(kParallelPorts, job, dir);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["one_ms"] = oneMs / runs;
  state.counters["sixteen_ms"] = sixteenMs / runs;
  state.counters["ratio"] = sixteenMs / oneMs;
}

}  // namespace

BENCHMARK(BM_SixteenUnitsInParallelAgainstOne)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace lum::bench
