#include "nights/EnergyPlan.h"

#include <algorithm>
#include <ctime>

namespace lum::nights {

namespace {
constexpr int kPlanDay = 15;
constexpr int kFirstYear = 1900;
constexpr double kPercent = 100.0;
constexpr double kMinutesPerHour = 60.0;
constexpr double kMilli = 1000.0;
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMsPerDay = 86'400'000;
constexpr double kDegreesPerDay = 360.0;
constexpr double kMinutesPerDay = 24 * 60.0;

int64_t DayMs(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - kFirstYear;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  return static_cast<int64_t>(timegm(&tm)) * kMsPerSecond;
}

int MonthOf(int64_t timeMs) {
  const std::time_t seconds = timeMs / kMsPerSecond;
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  return tm.tm_mon + 1;
}

// Where the sun neither sets nor rises: the whole day is night when it stays down at noon.
double PolarNightMinutes(const Site& site, int64_t dayMs) {
  const auto localNoon = dayMs + kMsPerDay / 2 - static_cast<int64_t>(site.longitude / kDegreesPerDay * kMsPerDay);
  return SunElevation(site, localNoon) < 0 ? kMinutesPerDay : 0.0;
}

void AddRecorded(const std::vector<Night>& recorded, std::array<PlanMonth, kMonths>& months) {
  std::array<double, kMonths> used{};
  for (const Night& night : recorded) {
    if (!night.known) continue;
    PlanMonth& month = months[static_cast<size_t>(MonthOf(night.duskMs) - 1)];
    ++month.recordedNights;
    used[static_cast<size_t>(month.month - 1)] += night.ampereHours;
    if (night.offReason == OffReason::LowVoltage) ++month.cutShortNights;
  }
  for (PlanMonth& month : months) {
    if (month.recordedNights == 0) continue;
    month.usedAh = used[static_cast<size_t>(month.month - 1)] / month.recordedNights;
    month.exceedsHarvest = month.cutShortNights > 0;
  }
}
}  // namespace

NightDraw DrawInNight(const NightProfile& profile, double nightMinutes) {
  NightDraw draw;
  // The morning segment owns the end of the night; the evening ones stop where it starts.
  double eveningEnd = nightMinutes;
  for (const ProfileSegment& s : profile.segments)
    if (s.morning) eveningEnd = std::max(0.0, nightMinutes - s.minutes);
  for (const ProfileSegment& s : profile.segments) {
    if (s.power == 0 || s.minutes == 0) continue;
    const double start = s.morning ? eveningEnd : s.start;
    const double end = s.morning ? nightMinutes : std::min<double>(s.start + s.minutes, eveningEnd);
    const double lit = std::max(0.0, end - start);
    draw.litMinutes += lit;
    draw.ampereHours += profile.ratedCurrentMa * (s.power / kPercent) * lit / kMinutesPerHour / kMilli;
  }
  return draw;
}

std::array<PlanMonth, kMonths> PlanYear(const PlanInput& input, const std::vector<Night>& recorded) {
  std::array<PlanMonth, kMonths> months{};
  for (int m = 1; m <= kMonths; ++m) {
    PlanMonth& month = months[static_cast<size_t>(m - 1)];
    month.month = m;
    const int64_t dayMs = DayMs(input.year, m, kPlanDay);
    const std::optional<SunNight> night = NightAt(input.site, dayMs);
    if (night) month.nightMinutes = night->Minutes();
    const double length = night ? night->Minutes() : PolarNightMinutes(input.site, dayMs);
    const NightDraw draw = DrawInNight(input.profile, length);
    month.litMinutes = draw.litMinutes;
    month.ampereHours = draw.ampereHours;
    if (draw.ampereHours > 0) month.autonomyNights = input.capacityAh * input.usableFraction / draw.ampereHours;
  }
  AddRecorded(recorded, months);
  return months;
}

}  // namespace lum::nights
