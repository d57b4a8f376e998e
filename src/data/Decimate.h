#pragma once

#include <cstdint>
#include <vector>

#include "data/PollSample.h"

namespace lum {

/// A point of a chart line: time in milliseconds since the epoch, value in its natural unit.
struct PlotPoint {
  double x;
  double y;
  bool operator==(const PlotPoint&) const = default;
};

/// One polled value of time-ordered samples between fromMs and toMs, reduced for drawing
/// into `columns` pixel columns: each column keeps its lowest and its highest point, in time
/// order, so that no peak is lost however many polls share a pixel. A range holding no more
/// than two points per column keeps every point. The nearest point beyond each end is kept
/// too, so that the line reaches the edges. Samples without the value are skipped.
std::vector<PlotPoint> DecimateMinMax(const std::vector<PollSample>& samples, ValueId id, int64_t fromMs, int64_t toMs,
                                      int columns);

}  // namespace lum
