#include "nights/NightFinder.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace lum::nights {

namespace {
constexpr double kMsPerHour = 3600.0 * 1000.0;
constexpr double kMsPerMinute = 60.0 * 1000.0;
constexpr int64_t kMsPerProfileMinute = 60 * 1000;

// Minutes after dusk at which the programme turns the output off.
std::vector<int64_t> ProgrammedEndsMs(const NightProfile& profile) {
  std::vector<int64_t> ends;
  const std::vector<ProfileSegment> timeline = NightTimeline(profile);
  for (size_t k = 0; k < timeline.size(); ++k) {
    const bool lit = timeline[k].power > 0;
    const bool nextDark = k + 1 == timeline.size() || timeline[k + 1].power == 0;
    if (lit && nextDark) ends.push_back(int64_t{timeline[k].start + timeline[k].minutes} * kMsPerProfileMinute);
  }
  return ends;
}
}  // namespace

NightFinder::NightFinder(NightRules rules, FinderLimits limits) : rules_(std::move(rules)), limits_(limits) {}

void NightFinder::Add(const PollSample& sample) {
  if (last_ms_ && sample.timeMs <= *last_ms_) return;  // out of order or repeated
  const std::optional<double> solar = sample.Natural(ValueId::SolarVoltage);
  if (!solar) return;  // without the solar input nothing tells day from night
  if (last_ms_ && sample.timeMs - *last_ms_ > limits_.gapMs)
    AfterGap(sample);
  else
    Track(sample, *solar);
  if (open_) {
    Accumulate(sample, last_ms_ ? sample.timeMs - *last_ms_ : 0);
  } else if (const std::optional<double> battery = sample.Natural(ValueId::BatteryVoltage)) {
    day_peak_v_ = std::max(day_peak_v_.value_or(*battery), *battery);
  }
  if (open_ && sample.timeMs - open_->night.duskMs >= limits_.dayMs) {
    // Dark for a whole day: the panel gave nothing, yet the nights go on.
    const int64_t next = open_->night.duskMs + limits_.dayMs;
    EndNight(next, false);
    StartNight(next, true);
  }
  last_ms_ = sample.timeMs;
}

void NightFinder::Track(const PollSample& sample, double solarV) {
  const bool below = solarV < rules_.switchVolts;
  if (!dark_) {
    // The recording began here: a night in progress has an unseen dusk.
    dark_ = below;
    if (below) StartNight(sample.timeMs, false);
    return;
  }
  if (below == *dark_) {
    crossing_since_ms_.reset();
    return;
  }
  if (!crossing_since_ms_) crossing_since_ms_ = sample.timeMs;
  if (sample.timeMs - *crossing_since_ms_ < rules_.switchDelayMs) return;
  const int64_t edge = *crossing_since_ms_ + rules_.switchDelayMs;
  crossing_since_ms_.reset();
  dark_ = below;
  if (below)
    StartNight(edge, true);
  else if (open_)
    EndNight(edge, true);
}

void NightFinder::AfterGap(const PollSample& sample) {
  const bool below = *sample.Natural(ValueId::SolarVoltage) < rules_.switchVolts;
  crossing_since_ms_.reset();
  if (open_) {
    open_->night.known = false;
    if (!below) EndNight(sample.timeMs, true);
  } else if (below || sample.timeMs - *last_ms_ >= limits_.hiddenNightMs) {
    StartNight(*last_ms_, false);
    if (!below) EndNight(sample.timeMs, true);
  }
  dark_ = below;
}

void NightFinder::StartNight(int64_t duskMs, bool known) {
  if (!nights_.empty() && !nights_.back().nextDayPeakV) nights_.back().nextDayPeakV = day_peak_v_;
  day_peak_v_.reset();
  open_ = Open{};
  open_->night.duskMs = duskMs;
  open_->night.known = known;
}

void NightFinder::EndNight(int64_t dawnMs, bool solarRose) {
  open_->night.dawnMs = dawnMs;
  Night night = open_->night;
  night.solarRose = solarRose;
  night.litMinutes = static_cast<double>(open_->litMs) / kMsPerMinute;
  if (open_->litMs > 0) night.meanCurrentA = open_->litAmpMs / static_cast<double>(open_->litMs);
  night.offReason = WhyOff(*open_);
  nights_.push_back(night);
  open_.reset();
}

void NightFinder::Accumulate(const PollSample& sample, int64_t stepMs) {
  Night& night = open_->night;
  const std::optional<double> battery = sample.Natural(ValueId::BatteryVoltage);
  if (battery) {
    night.endBatteryV = battery;
    if (!night.duskBatteryV) night.duskBatteryV = battery;
  }
  const std::optional<double> current = sample.Natural(ValueId::Load1Current);
  const bool lit = current && *current > limits_.litAmps;
  if (lit) {
    const auto step = static_cast<double>(std::min(stepMs, limits_.gapMs));
    open_->litMs += static_cast<int64_t>(step);
    open_->litAmpMs += *current * step;
    night.ampereHours += *current * step / kMsPerHour;
    if (!night.loadOnMs) night.loadOnMs = sample.timeMs;
    night.loadOffMs = sample.timeMs;
    open_->lastLitBatteryV = battery;
  }
  open_->wasLit = lit;
}

OffReason NightFinder::WhyOff(const Open& open) const {
  const Night& night = open.night;
  if (!night.loadOffMs) {
    // Cut the night before and not charged back to the reconnect voltage since: still cut.
    const bool heldOff = !nights_.empty() && nights_.back().offReason == OffReason::LowVoltage &&
                         nights_.back().nextDayPeakV && *nights_.back().nextDayPeakV <= rules_.reconnectVolts;
    return heldOff ? OffReason::LowVoltage : OffReason::Unknown;
  }
  if (open.wasLit) return OffReason::StillOn;
  if (night.dawnMs - *night.loadOffMs <= limits_.toleranceMs) return OffReason::StillOn;
  // Where the programme ends the night, a low battery at that moment is a coincidence.
  const int64_t afterDusk = *night.loadOffMs - night.duskMs;
  for (const int64_t end : ProgrammedEndsMs(rules_.profile))
    if (std::llabs(afterDusk - end) <= limits_.toleranceMs) return OffReason::ProfileEnd;
  if (open.lastLitBatteryV && *open.lastLitBatteryV <= rules_.cutVolts + limits_.cutMarginV)
    return OffReason::LowVoltage;
  return OffReason::Unknown;
}

std::vector<Night> NightFinder::Finish() {
  if (open_) {
    open_->night.known = false;
    // Cut from a stretch with no sunrise, and none seen since: the sun is still missing.
    const bool sunMissing =
        !nights_.empty() && !nights_.back().solarRose && nights_.back().dawnMs == open_->night.duskMs;
    EndNight(last_ms_.value_or(open_->night.duskMs), !sunMissing);
  } else if (!nights_.empty() && !nights_.back().nextDayPeakV) {
    nights_.back().nextDayPeakV = day_peak_v_;
  }
  return std::move(nights_);
}

std::vector<Night> FindNights(const std::vector<PollSample>& samples, const NightRules& rules,
                              const FinderLimits& limits) {
  NightFinder finder(rules, limits);
  for (const PollSample& s : samples) finder.Add(s);
  return finder.Finish();
}

}  // namespace lum::nights
