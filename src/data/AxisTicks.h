#pragma once

#include <cstdint>

namespace lum {

/// Ticks of a time axis on whole steps of the clock (seconds, minutes, hours, days), so that
/// labels read 06:00, never 05:59: the axis runs from the last whole step at or before the
/// start to the first at or after the end.
struct TimeTicks {
  int64_t firstMs = 0;
  int64_t lastMs = 0;
  int64_t stepMs = 0;
  int count = 0;
};

/// `utcOffsetMs`: the offset of the shown clock from UTC, so that hours are whole where they
/// are read. At most `maxTicks` ticks.
TimeTicks WholeTimeTicks(int64_t startMs, int64_t endMs, int64_t utcOffsetMs, int maxTicks);

/// The decimals a value axis's labels need when ticks are `step` apart: none for whole steps,
/// as many as the step's first significant digit otherwise.
int LabelDecimals(double step);

}  // namespace lum
