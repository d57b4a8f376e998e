#include "data/Decimate.h"

#include <algorithm>

namespace lum {

namespace {
using Iterator = std::span<const PollSample>::iterator;
}  // namespace

std::vector<PlotPoint> DecimateMinMax(std::span<const PollSample> samples, ValueId id, int64_t fromMs, int64_t toMs,
                                      int columns) {
  std::vector<PlotPoint> points;
  const auto index = PolledIndex(id);
  if (!index || columns <= 0 || toMs < fromMs) return points;
  const auto has = [&](const PollSample& s) { return s.raw[*index].has_value(); };
  const auto value = [&](const PollSample& s) { return *s.raw[*index]; };
  const auto add = [&](const PollSample& s) { points.push_back({static_cast<double>(s.timeMs), *s.Natural(id)}); };

  const Iterator begin = std::lower_bound(samples.begin(), samples.end(), fromMs,
                                          [](const PollSample& s, int64_t t) { return s.timeMs < t; });
  const Iterator end =
      std::upper_bound(begin, samples.end(), toMs, [](int64_t t, const PollSample& s) { return t < s.timeMs; });
  const auto before = std::find_if(std::make_reverse_iterator(begin), samples.rend(), has);
  if (before != samples.rend()) add(*before);

  if (std::count_if(begin, end, has) <= 2 * static_cast<std::ptrdiff_t>(columns)) {
    for (Iterator s = begin; s != end; ++s)
      if (has(*s)) add(*s);
  } else {
    const double width = static_cast<double>(toMs - fromMs + 1) / columns;
    Iterator s = begin;
    for (int column = 0; column < columns && s != end; ++column) {
      const auto columnEnd = fromMs + static_cast<int64_t>(width * (column + 1));
      Iterator low = end;
      Iterator high = end;
      for (; s != end && (s->timeMs < columnEnd || column == columns - 1); ++s) {
        if (!has(*s)) continue;
        if (low == end || value(*s) < value(*low)) low = s;
        if (high == end || value(*s) > value(*high)) high = s;
      }
      if (low == end) continue;
      add(*std::min(low, high));
      if (low != high) add(*std::max(low, high));
    }
  }

  const auto after = std::find_if(end, samples.end(), has);
  if (after != samples.end()) add(*after);
  return points;
}

std::vector<std::vector<PlotPoint>> DecimateBrokenLine(std::span<const PollSample> samples, ValueId id, int64_t fromMs,
                                                       int64_t toMs, int columns, int64_t longestGapMs) {
  std::vector<std::vector<PlotPoint>> runs;
  const auto empty = [](const PollSample& s) { return s.Empty(); };
  const auto breaksAfter = [longestGapMs](const PollSample& before, const PollSample& next) {
    return next.Empty() || next.timeMs - before.timeMs > longestGapMs;
  };
  for (Iterator begin = samples.begin(); begin != samples.end();) {
    begin = std::find_if_not(begin, samples.end(), empty);
    if (begin == samples.end()) break;
    const Iterator last = std::adjacent_find(begin, samples.end(), breaksAfter);
    const Iterator end = last == samples.end() ? last : std::next(last);
    if (begin->timeMs <= toMs && std::prev(end)->timeMs >= fromMs) {
      std::vector<PlotPoint> run = DecimateMinMax(std::span(begin, end), id, fromMs, toMs, columns);
      if (!run.empty()) runs.push_back(std::move(run));
    }
    begin = end;
  }
  return runs;
}

}  // namespace lum
