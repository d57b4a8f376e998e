// The commissioning records as a shift's supervisor meets them: `lumctl records` listing a
// database of 100,000 records, and exporting them as CSV, measured on the real program (its
// wall time and its peak resident memory).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LumctlRun.h"
#include "data/ConfigBlock.h"
#include "data/TempDir.h"
#include "store/RecordSchema.h"
#include "store/RecordTable.h"

namespace lum::bench {

namespace {

constexpr int kRecords = 100000;
constexpr int kRecordsPerTransaction = 5000;
constexpr int kRuns = 3;

// A bench's day: units on four ports, mostly done, some failed with a reason.
store::CommissioningRecord RecordNumber(int n) {
  store::CommissioningRecord r;
  r.attemptId = store::NewAttemptId();
  r.timeUtc = "2026-12-08T08:00:00.000Z";
  r.bench = "bench-1";
  r.operatorName = "operator";
  r.port = "COM" + std::to_string(1 + n % 4);
  r.job = "street-2026";
  r.configHash = std::string(64, 'a');
  r.model = "LS-2024";
  r.modelBytes.assign(r.model.begin(), r.model.end());
  r.serialNumber = 100000000u + static_cast<uint32_t>(n);
  r.firmwareVersion = 0x0102;
  r.productCode = 0x515530;
  r.before.assign(block_layout::kSize, static_cast<uint8_t>(n));
  r.after.assign(block_layout::kSize, static_cast<uint8_t>(n + 1));
  r.result = n % 20 == 0 ? store::Outcome::Failed : store::Outcome::Done;
  if (r.result == store::Outcome::Failed) r.reason = "the unit does not hold Output 1 Work mode";
  r.durationMs = 4200;
  return r;
}

// One database of kRecords records for every run, made once.
const std::string& RecordsDatabase() {
  static const ScratchDir scratch;
  static const std::string path = [] {
    const std::string file = (scratch.path() / "commissioning.db").string();
    const auto db = store::OpenDatabase(file);
    store::PrepareRecordTable(*db);
    std::vector<store::CommissioningRecord> batch;
    for (int n = 0; n < kRecords; ++n) {
      batch.push_back(RecordNumber(n));
      if (batch.size() == kRecordsPerTransaction) {
        store::InsertRecords({*db}, batch);
        batch.clear();
      }
    }
    return file;
  }();
  return path;
}

void MeasureLumctl(benchmark::State& state, const std::vector<std::string>& args) {
  std::vector<std::string> withDb = args;
  withDb.insert(withDb.end(), {"--db", RecordsDatabase()});
  double wallMs = 0, peakMib = 0;
  for (auto _ : state) {
    const RunFigures run = RunLumctl(withDb);
    if (run.status != 0) state.SkipWithError("lumctl failed");
    wallMs += run.wallMs;
    peakMib = std::max(peakMib, run.peakMib);
  }
  state.counters["wall_ms"] = wallMs / static_cast<double>(state.iterations());
  state.counters["peak_MiB"] = peakMib;
}

void BM_List100kRecords(benchmark::State& state) { MeasureLumctl(state, {"records"}); }
void BM_Csv100kRecords(benchmark::State& state) { MeasureLumctl(state, {"records", "--csv"}); }

}  // namespace

BENCHMARK(BM_List100kRecords)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Csv100kRecords)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace lum::bench
