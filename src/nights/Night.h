#pragma once

#include <cstdint>
#include <optional>

namespace lum::nights {

/// Why the load went off for the last time in a night, as far as the polls tell.
enum class OffReason {
  StillOn,     // lit until dawn
  ProfileEnd,  // where the programme turns the output off
  LowVoltage,  // the battery was at the low-voltage cut
  Unknown,
};

/// One night of a recording, from dusk to dawn as the controller decides them.
struct Night {
  int64_t duskMs = 0;
  int64_t dawnMs = 0;
  /// False when polls are missing inside the night or at its edges: nothing else is told.
  bool known = true;
  std::optional<int64_t> loadOnMs;   // first poll with the load drawing current
  std::optional<int64_t> loadOffMs;  // last poll with the load drawing current
  double litMinutes = 0;
  double meanCurrentA = 0;  // while lit
  double ampereHours = 0;
  OffReason offReason = OffReason::Unknown;
  std::optional<double> duskBatteryV;
  std::optional<double> endBatteryV;   // last battery voltage before dawn
  std::optional<double> nextDayPeakV;  // highest battery voltage of the day after
  bool solarRose = true;               // the solar input came up after this night
};

}  // namespace lum::nights
