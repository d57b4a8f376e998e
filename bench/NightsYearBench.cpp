// A year of one controller's polls once a second (31.5 million) analysed night by night by
// `lumctl nights`, as an operator runs it: wall time and peak resident memory of the program.
// The recording is made once and kept in the build folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "LumctlRun.h"
#include "data/PollSample.h"
#include "store/Recordings.h"

namespace lum::bench {

namespace {

constexpr int kDays = 365;
constexpr int64_t kPollMs = 1000;
constexpr int64_t kDayMs = 24LL * 3600 * 1000;
constexpr int64_t kHourMs = 3600LL * 1000;
constexpr int64_t kStartMs = 1704067200000;  // 2024-01-01 00:00 UTC
constexpr int64_t kSunriseMs = 7 * kHourMs;
constexpr int64_t kSunsetMs = 17 * kHourMs;
constexpr int64_t kLitMs = 8 * kHourMs;  // after dusk
constexpr int kRuns = 1;

// Raw numbers in the units the controller reports.
constexpr int64_t kDaySolarMv = 18000;
constexpr int64_t kNightSolarMv = 500;
constexpr int64_t kBatteryMv = 12800;
constexpr int64_t kLampMa = 1500;
constexpr int64_t kTemperature = 20;

PollSample PollAt(int64_t timeMs) {
  const int64_t ofDay = (timeMs - kStartMs) % kDayMs;
  const bool day = ofDay >= kSunriseMs && ofDay < kSunsetMs;
  const int64_t sinceDusk = (ofDay - kSunsetMs + kDayMs) % kDayMs;
  const bool lit = !day && sinceDusk < kLitMs;
  PollSample s;
  s.timeMs = timeMs;
  const auto set = [&s](ValueId id, int64_t raw) { s.raw[*PolledIndex(id)] = raw; };
  const auto inUnit = [](ValueId id, int64_t millis) {
    return UnitOf(id) == Unit::TenMillivolts ? millis / 10 : millis;
  };
  set(ValueId::PowerOnTime, (timeMs - kStartMs) / kPollMs);
  set(ValueId::Temperature, kTemperature);
  set(ValueId::BatteryVoltage, inUnit(ValueId::BatteryVoltage, kBatteryMv));
  set(ValueId::SolarVoltage, inUnit(ValueId::SolarVoltage, day ? kDaySolarMv : kNightSolarMv));
  set(ValueId::Load1Voltage, inUnit(ValueId::Load1Voltage, lit ? kBatteryMv : 0));
  set(ValueId::Load1Current, lit ? kLampMa : 0);
  return s;
}

// The year's recording, written a day per transaction under a temporary name so that an
// interrupted run never leaves a short file behind as the cached one.
const std::string& YearDatabase() {
  static const std::string path = [] {
    const std::filesystem::path file = std::filesystem::path(LUM_BENCH_DATA_DIR) / "year-1hz.db";
    if (std::filesystem::exists(file)) return file.string();
    std::filesystem::create_directories(file.parent_path());
    const std::filesystem::path partial = file.string() + ".partial";
    std::filesystem::remove(partial);
    {
      const auto db = store::OpenDatabase(partial.string());
      store::Recordings recordings(*db);
      const int64_t recording = recordings.Start("0A00000066");
      std::vector<PollSample> day;
      for (int d = 0; d < kDays; ++d) {
        day.clear();
        for (int64_t t = 0; t < kDayMs; t += kPollMs) day.push_back(PollAt(kStartMs + d * kDayMs + t));
        recordings.Add(recording, day);
      }
    }
    std::filesystem::rename(partial, file);
    return file.string();
  }();
  return path;
}

void BM_NightsOfAYearAt1Hz(benchmark::State& state) {
  const std::string db = YearDatabase();
  double wallMs = 0;
  double peakMib = 0;
  for (auto _ : state) {
    const RunFigures run = RunLumctl({"nights", "--db", db, "--csv"});
    if (run.status != 0) state.SkipWithError("lumctl nights failed");
    wallMs += run.wallMs;
    peakMib = std::max(peakMib, run.peakMib);
  }
  state.counters["wall_ms"] = wallMs / static_cast<double>(state.iterations());
  state.counters["peak_MiB"] = peakMib;
}

}  // namespace

BENCHMARK(BM_NightsOfAYearAt1Hz)->Iterations(kRuns)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace lum::bench
