#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "ProcessCpu.h"
#include "device/DeviceSession.h"

namespace lum::bench {

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Opens the session's monitor on `path` and polls once per iteration, each poll waited for.
/// Sets the counter "cpu_share" (the process's CPU per second of wall time) and returns the
/// wall seconds the polls took; 0 when the port did not open (the run is marked skipped).
inline double PollMonitor(benchmark::State& state, DeviceSession& session, const std::string& path) {
  session.OpenMonitor(path);
  session.WaitIdle();
  if (!session.MonitorOpen()) {
    state.SkipWithError("monitor port did not open");
    return 0;
  }
  const double cpuBefore = ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    session.Poll(true);
    session.WaitIdle();
  }
  const double seconds = SecondsSince(start);
  state.counters["cpu_share"] = (ProcessCpuSeconds() - cpuBefore) / seconds;
  return seconds;
}

}  // namespace lum::bench
