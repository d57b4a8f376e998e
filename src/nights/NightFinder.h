#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data/PollSample.h"
#include "nights/Night.h"
#include "nights/NightRules.h"

namespace lum::nights {

/// Limits of reading nights from polls.
struct FinderLimits {
  int64_t gapMs = 15LL * 60 * 1000;  // polls further apart than this leave a gap
  /// A gap in daylight this long may hide a whole night: it becomes a night not known.
  int64_t hiddenNightMs = 4LL * 3600 * 1000;
  int64_t dayMs = 24LL * 3600 * 1000;      // a dark stretch is cut into nights of this length
  double litAmps = 0.05;                   // the load counts as on above this current
  double cutMarginV = 0.15;                // an off this close above the cut voltage is the cut
  int64_t toleranceMs = 20LL * 60 * 1000;  // an off this close to dawn or a programmed end
};

/// Reads nights from the polls of one controller, given in time order one at a time, so that
/// a year of polls needs no more memory than its nights.
class NightFinder {
 public:
  explicit NightFinder(NightRules rules, FinderLimits limits = {});

  void Add(const PollSample& sample);
  /// The nights found; a night still open at the end is given as not known.
  std::vector<Night> Finish();

 private:
  struct Open {
    Night night;
    int64_t litMs = 0;
    double litAmpMs = 0;
    bool wasLit = false;
    std::optional<double> lastLitBatteryV;
  };

  void Track(const PollSample& sample, double solarV);
  void AfterGap(const PollSample& sample);
  void StartNight(int64_t duskMs, bool known);
  void EndNight(int64_t dawnMs, bool solarRose);
  void Accumulate(const PollSample& sample, int64_t stepMs);
  OffReason WhyOff(const Open& open) const;

  NightRules rules_;
  FinderLimits limits_;
  std::vector<Night> nights_;
  std::optional<Open> open_;
  std::optional<int64_t> last_ms_;
  std::optional<bool> dark_;
  std::optional<int64_t> crossing_since_ms_;
  std::optional<double> day_peak_v_;
};

/// Every night of the polls at once.
std::vector<Night> FindNights(const std::vector<PollSample>& samples, const NightRules& rules,
                              const FinderLimits& limits = {});

}  // namespace lum::nights
