#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lum::nights {

/// A place on Earth in degrees, north and east positive.
struct Site {
  double latitude = 0;
  double longitude = 0;
};

/// The reason a site cannot be used (out of range, not a number), or nullopt.
std::optional<std::string> SiteProblem(const Site& site);
/// "LAT,LON" as typed ("51.5,-0.13"); nullopt when it is not two numbers in range.
std::optional<Site> ParseSite(const std::string& text);

/// The sun's height above the horizon, in degrees, at a time (ms since the epoch).
double SunElevation(const Site& site, int64_t timeMs);

/// The night that begins on a local calendar day: its sunset and the next sunrise.
struct SunNight {
  int64_t sunsetMs = 0;
  int64_t sunriseMs = 0;
  double Minutes() const;
};

/// The night beginning on the day of `dayMs` (UTC midnight of that date) at the site;
/// nullopt where the sun does not set or does not rise (polar day or night).
std::optional<SunNight> NightAt(const Site& site, int64_t dayMs);

}  // namespace lum::nights
