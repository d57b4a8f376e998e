#pragma once

#include <array>
#include <optional>
#include <vector>

#include "data/NightProfile.h"
#include "nights/Night.h"
#include "nights/SunTimes.h"

namespace lum::nights {

inline constexpr int kMonths = 12;

/// What the planner is asked about.
struct PlanInput {
  Site site;
  NightProfile profile;
  double capacityAh = 0;
  double usableFraction = 0.5;  // of the capacity, before the battery takes harm
  int year = 2025;              // the nights of the 15th of each month of this year
};

/// One month of the plan.
struct PlanMonth {
  int month = 1;                       // 1..12
  std::optional<double> nightMinutes;  // none in polar day or night
  double litMinutes = 0;               // what the programme lights in that night
  double ampereHours = 0;              // what it draws
  double autonomyNights = 0;           // nights the usable capacity lasts without sun
  int recordedNights = 0;              // known nights recorded in that month (any year)
  std::optional<double> usedAh;        // mean Ah used on them
  int cutShortNights = 0;              // of them cut at the low-voltage limit
  /// The programme asked more than the harvest gave: nights were cut short.
  bool exceedsHarvest = false;
};

/// The programme's lit minutes and Ah in a night of the given length: the evening segments
/// run from dusk, the morning one ends at dawn, and nothing is lit outside the night.
struct NightDraw {
  double litMinutes = 0;
  double ampereHours = 0;
};
NightDraw DrawInNight(const NightProfile& profile, double nightMinutes);

/// Twelve months of the plan; `recorded` adds what the recordings saw.
std::array<PlanMonth, kMonths> PlanYear(const PlanInput& input, const std::vector<Night>& recorded = {});

}  // namespace lum::nights
