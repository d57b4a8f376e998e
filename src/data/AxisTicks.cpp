#include "data/AxisTicks.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace lum {

namespace {

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;
// Steps a clock is read in.
constexpr int64_t kSteps[] = {kSecond, 2 * kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
                              kMinute, 2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
                              kHour,   2 * kHour,   3 * kHour,   6 * kHour,    12 * kHour,   kDay};

// Floor division for times before the epoch too.
int64_t FloorTo(int64_t value, int64_t step) { return value / step * step - (value % step < 0 ? step : 0); }

}  // namespace

TimeTicks WholeTimeTicks(int64_t startMs, int64_t endMs, int64_t utcOffsetMs, int maxTicks) {
  const int64_t span = std::max<int64_t>(endMs - startMs, 1);
  const int intervals = std::max(maxTicks - 1, 1);
  int64_t step = kSteps[std::size(kSteps) - 1];
  for (const int64_t candidate : kSteps)
    if (span / candidate + 2 <= intervals) {
      step = candidate;
      break;
    }
  // Days beyond the table: whole multiples of a day.
  while (span / step + 2 > intervals) step += kDay;
  TimeTicks ticks;
  ticks.stepMs = step;
  ticks.firstMs = FloorTo(startMs + utcOffsetMs, step) - utcOffsetMs;
  ticks.lastMs = -FloorTo(-(endMs + utcOffsetMs), step) - utcOffsetMs;
  ticks.count = static_cast<int>((ticks.lastMs - ticks.firstMs) / step) + 1;
  return ticks;
}

int LabelDecimals(double step) {
  if (!(step > 0) || step >= 1) return 0;
  return static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

}  // namespace lum
