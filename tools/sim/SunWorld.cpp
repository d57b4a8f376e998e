#include "sim/SunWorld.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace lum::sim {

namespace {
constexpr int64_t kStepMs = 60'000;  // the battery and the switch move in steps this long
constexpr int64_t kMsPerDay = 86'400'000;
constexpr double kMsPerHour = 3'600'000.0;
constexpr int64_t kMsPerMinute = 60'000;
constexpr double kPercent = 100.0;
constexpr double kMilli = 1000.0;
// Lead-acid battery: rest voltage over the state of charge, and its internal drop.
constexpr double kEmptyVolts = 10.9;
constexpr double kVoltsPerCharge = 1.9;
constexpr double kOhms = 0.15;
constexpr double kSmallestCapacityAh = 1.0;
// The panel's voltage comes up over these degrees of sun elevation (from below the horizon).
constexpr double kDawnElevation = -2.0;
constexpr double kRiseDegrees = 6.0;
constexpr double kDegreesToRadians = std::numbers::pi / 180.0;
}  // namespace

PollSample PollOf(const SunWorldValues& values, int64_t timeMs) {
  constexpr double kTensPerVolt = 100.0;
  PollSample poll;
  poll.timeMs = timeMs;
  poll.raw[*PolledIndex(ValueId::BatteryVoltage)] = std::llround(values.batteryV * kMilli);
  poll.raw[*PolledIndex(ValueId::SolarVoltage)] = std::llround(values.solarV * kTensPerVolt);
  poll.raw[*PolledIndex(ValueId::Load1Voltage)] = std::llround(values.loadV * kMilli);
  poll.raw[*PolledIndex(ValueId::Load1Current)] = std::llround(values.loadA * kMilli);
  return poll;
}

SunWorld::SunWorld(SunWorldSetup setup)
    : setup_(std::move(setup)), now_ms_(setup_.startMs), charge_(std::clamp(setup_.charge, 0.0, 1.0)) {
  dark_ = nights::SunElevation(setup_.site, now_ms_) < kDawnElevation;
  Step(0);  // the values at the start
}

int SunWorld::Day() const { return static_cast<int>((now_ms_ - setup_.startMs) / kMsPerDay); }

double SunWorld::OpenVoltage() const { return kEmptyVolts + kVoltsPerCharge * charge_; }

double SunWorld::PowerNow() const {
  if (!dark_ || dusks_.empty() || cut_) return 0;
  if (setup_.deadLampNights.contains(static_cast<int>(dusks_.size()) - 1)) return 0;
  const auto minute = static_cast<unsigned>((now_ms_ - dusks_.back()) / kMsPerMinute);
  for (const ProfileSegment& s : setup_.profile.segments)
    if (minute >= s.start && minute < s.start + s.minutes) return s.power / kPercent;
  return 0;
}

SunWorldValues SunWorld::At(int64_t timeMs) {
  while (now_ms_ < timeMs) Step(std::min(kStepMs, timeMs - now_ms_));
  return values_;
}

void SunWorld::Step(int64_t stepMs) {
  now_ms_ += stepMs;
  const double elevation = nights::SunElevation(setup_.site, now_ms_);
  const bool broken = setup_.brokenPanelFromDay && Day() >= *setup_.brokenPanelFromDay;
  const double light = setup_.cloudyDays.contains(Day()) ? setup_.cloudyLight : 1.0;
  const double panelShare = std::clamp((elevation - kDawnElevation) / kRiseDegrees, 0.0, 1.0);
  values_.solarV = broken ? 0 : setup_.panelVolts * panelShare;

  // The controller's switch: the crossing must hold for the delay.
  const bool below = values_.solarV < setup_.switchVolts;
  if (below == dark_) {
    crossing_since_ms_.reset();
  } else {
    if (!crossing_since_ms_) crossing_since_ms_ = now_ms_;
    if (now_ms_ - *crossing_since_ms_ >= setup_.switchDelayMs) {
      dark_ = below;
      crossing_since_ms_.reset();
      if (dark_) dusks_.push_back(now_ms_);
    }
  }

  const double capacity = std::max(kSmallestCapacityAh, setup_.capacityAh - setup_.capacityLossPerDay * Day());
  const double chargeA =
      broken || charge_ >= 1.0 ? 0 : setup_.panelAmps * light * std::max(0.0, std::sin(elevation * kDegreesToRadians));
  const double loadA = setup_.profile.ratedCurrentMa / kMilli * PowerNow();
  charge_ = std::clamp(charge_ + (chargeA - loadA) * static_cast<double>(stepMs) / kMsPerHour / capacity, 0.0, 1.0);
  values_.batteryV = OpenVoltage() - kOhms * loadA + kOhms * chargeA;
  if (!cut_ && loadA > 0 && values_.batteryV <= setup_.cutVolts) {
    cut_ = true;
    cut_nights_.insert(static_cast<int>(dusks_.size()) - 1);
  } else if (cut_ && values_.batteryV > setup_.reconnectVolts) {
    cut_ = false;
  }
  const bool outputOn = dark_ && !cut_ && PowerNow() > 0;
  const bool lampDead = !dusks_.empty() && setup_.deadLampNights.contains(static_cast<int>(dusks_.size()) - 1);
  values_.loadA = outputOn && !lampDead ? loadA : 0;
  values_.loadV = outputOn || (lampDead && dark_) ? values_.batteryV : 0;
}

}  // namespace lum::sim
