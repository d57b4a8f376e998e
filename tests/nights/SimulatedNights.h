#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
#include "nights/Night.h"
#include "nights/NightRules.h"
#include "sim/SunWorld.h"

namespace lum::nights {

inline constexpr int64_t kMinuteMs = 60'000;
inline constexpr int64_t kHourMs = 60 * kMinuteMs;
inline constexpr int64_t kDayMs = 24 * kHourMs;
inline constexpr int64_t kStartMs = 1709553600000;  // 2024-03-04 12:00 UTC, a sunny noon in Paris
inline constexpr char kSerial[] = "0A00000066";

/// A lamp in Paris: 1.5 A, four hours full, two at half, two at 30 %, an hour of morning light.
sim::SunWorldSetup ParisLamp();
/// The configuration of that lamp's controller: the same switch, cut and programme.
TCONFIG_BLOCK ParisLampBlock();
/// What the finder is told: the same switch, cut and programme the simulated controller has.
NightRules RulesOf(const sim::SunWorldSetup& setup);

/// Polls of the simulated world every minute for `days`, leaving out [gapFromMs, gapToMs).
struct Simulated {
  std::vector<PollSample> polls;
  std::vector<int64_t> dusks;  // the controller's, as the world saw them
  std::vector<int> cutNights;
};
Simulated Simulate(const sim::SunWorldSetup& setup, int days, int64_t gapFromMs = 0, int64_t gapToMs = 0);

/// The polls written to a real SQLite file and read back as the analysis reads them.
std::vector<PollSample> ThroughDatabase(const std::string& path, const std::vector<PollSample>& polls);

/// The index of the found night whose dusk is within two polls of `duskMs`, or -1.
int NightNear(const std::vector<Night>& nights, int64_t duskMs);

}  // namespace lum::nights
