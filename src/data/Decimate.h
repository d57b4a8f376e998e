#pragma once

#include <cstdint>
#include <span>
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
std::vector<PlotPoint> DecimateMinMax(std::span<const PollSample> samples, ValueId id, int64_t fromMs, int64_t toMs,
                                      int columns);

/// The line of one polled value broken where a poll brought nothing (an empty sample: the
/// controller did not answer) and where two polls lie more than `longestGapMs` apart (a
/// recording keeps only the polls that were answered), so that the chart shows the gap: each
/// run of polls between such breaks reduced as DecimateMinMax does, in time order. Runs that
/// do not reach into the range, and runs without the value, are left out.
std::vector<std::vector<PlotPoint>> DecimateBrokenLine(std::span<const PollSample> samples, ValueId id, int64_t fromMs,
                                                       int64_t toMs, int columns, int64_t longestGapMs);

}  // namespace lum
