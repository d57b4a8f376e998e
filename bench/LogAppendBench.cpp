// Appending a run to the log: the time and memory follow the run's lines, not the size of
// the log it is appended to (a 300 MB log costs what a 1 MB one does).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/AtomicFile.h"

namespace lum::bench {

namespace {

constexpr size_t kMebibyte = 1024 * 1024;
constexpr int kRunLines = 500;
constexpr int kAppends = 20;

long MaxResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_AppendRunToLog(benchmark::State& state) {
  std::string dir = (std::filesystem::temp_directory_path() / "lumbenchXXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string log = dir + "/LUM.LOG";
  // A sparse file: as large as the argument says, without writing that much.
  std::ofstream{log};
  if (truncate(log.c_str(), static_cast<off_t>(state.range(0)) * static_cast<off_t>(kMebibyte)) != 0) {
    state.SkipWithError("cannot size the log");
    return;
  }
  std::string run;
  for (int i = 0; i < kRunLines; ++i) run += "[2026-12-08 00:00:00.000] Scan connected device:: Open port @COM1.\r\n";
  const long memoryBefore = MaxResidentKb();
  for (auto _ : state) AppendToFile(log, [&](AppendPoint) { return run; });
  state.counters["run_bytes"] = static_cast<double>(run.size());
  state.counters["max_rss_growth_kb"] = static_cast<double>(MaxResidentKb() - memoryBefore);
  std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_AppendRunToLog)->Arg(1)->Arg(300)->Iterations(kAppends)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace lum::bench
