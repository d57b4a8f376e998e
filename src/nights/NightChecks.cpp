#include "nights/NightChecks.h"

#include <array>
#include <functional>
#include <optional>

namespace lum::nights {

namespace {
constexpr double kMsPerHour = 3600.0 * 1000.0;
constexpr double kDarkMinutes = 1;  // lit less than this is dark

using NightTest = std::function<bool(const Night&)>;

// One alarm per run of nights in a row that pass the test; a night not known ends a run.
void RunsOf(const std::vector<Night>& nights, AlarmKind kind, Severity severity, const NightTest& test,
            std::vector<Alarm>& alarms) {
  std::optional<Alarm> run;
  for (size_t k = 0; k < nights.size(); ++k) {
    const Night& night = nights[k];
    if (!test(night)) {
      if (run) alarms.push_back(*run);
      run.reset();
      continue;
    }
    if (!run) run = Alarm{kind, severity, night.duskMs, night.duskMs, 0, 0, false};
    run->lastNightMs = night.duskMs;
    ++run->nights;
    run->value = run->nights;
    run->open = k + 1 == nights.size();
  }
  if (run) alarms.push_back(*run);
}

// Least-squares slope of the values against their position.
double Slope(const std::vector<double>& values) {
  const auto n = static_cast<double>(values.size());
  double sumX = 0, sumY = 0, sumXY = 0, sumXX = 0;
  for (size_t k = 0; k < values.size(); ++k) {
    const auto x = static_cast<double>(k);
    sumX += x;
    sumY += values[k];
    sumXY += x * values[k];
    sumXX += x * x;
  }
  const double spread = n * sumXX - sumX * sumX;
  return spread == 0 ? 0 : (n * sumXY - sumX * sumY) / spread;
}

void Fading(const std::vector<Night>& nights, const Thresholds& thresholds, std::vector<Alarm>& alarms) {
  // Only nights that followed a day of sun: a cloudy spell lowers the voltage of a good battery.
  std::vector<const Night*> recent;
  for (auto it = nights.rbegin(); it != nights.rend() && static_cast<int>(recent.size()) < thresholds.fadingNights;
       ++it)
    if (it->known && it->endBatteryV && it->solarRose) recent.insert(recent.begin(), &*it);
  if (thresholds.fadingNights < 2 || static_cast<int>(recent.size()) < thresholds.fadingNights) return;
  std::vector<double> volts;
  volts.reserve(recent.size());
  for (const Night* n : recent) volts.push_back(*n->endBatteryV);
  const double slope = Slope(volts);
  if (slope >= -thresholds.fadingVoltsPerNight) return;
  alarms.push_back({AlarmKind::BatteryFading, Severity::Warning, recent.front()->duskMs, recent.back()->duskMs,
                    static_cast<int>(recent.size()), slope, true});
}
}  // namespace

NightResult ResultOf(const Night& night) {
  if (!night.known) return NightResult::NotKnown;
  if (!night.solarRose) return NightResult::NoSun;
  if (night.offReason == OffReason::LowVoltage) return NightResult::CutShort;
  if (night.litMinutes < kDarkMinutes) return NightResult::Dark;
  return NightResult::Lit;
}

std::vector<Alarm> CheckNights(const std::vector<Night>& nights, const NightProfile& profile,
                               const Thresholds& thresholds, int64_t lastPollMs, int64_t nowMs) {
  std::vector<Alarm> alarms;
  if (profile.litMinutes > 0)
    RunsOf(
        nights, AlarmKind::DidNotLight, Severity::Critical,
        [](const Night& n) { return ResultOf(n) == NightResult::Dark; }, alarms);
  const size_t cutFrom = alarms.size();
  RunsOf(
      nights, AlarmKind::CutShort, Severity::Warning,
      [](const Night& n) { return ResultOf(n) == NightResult::CutShort; }, alarms);
  for (size_t k = cutFrom; k < alarms.size(); ++k)
    if (alarms[k].nights >= thresholds.cutShortCriticalRun) alarms[k].severity = Severity::Critical;
  const double longest = profile.litMinutes + thresholds.litLongerMinutes;
  RunsOf(
      nights, AlarmKind::LitLonger, Severity::Warning,
      [longest](const Night& n) { return n.known && n.litMinutes > longest; }, alarms);
  RunsOf(
      nights, AlarmKind::SolarMissing, Severity::Critical, [](const Night& n) { return !n.solarRose; }, alarms);
  Fading(nights, thresholds, alarms);
  const double silentHours = static_cast<double>(nowMs - lastPollMs) / kMsPerHour;
  if (silentHours > thresholds.noDataHours)
    alarms.push_back({AlarmKind::NoData, Severity::Critical, lastPollMs, lastPollMs, 0, silentHours, true});
  return alarms;
}

const char* AlarmKey(AlarmKind kind) {
  static constexpr std::array kKeys{"did-not-light", "cut-short",      "lit-longer",
                                    "solar-missing", "battery-fading", "no-data"};
  return kKeys[static_cast<size_t>(kind)];
}

const char* SeverityKey(Severity severity) {
  static constexpr std::array kKeys{"info", "warning", "critical"};
  return kKeys[static_cast<size_t>(severity)];
}

}  // namespace lum::nights
