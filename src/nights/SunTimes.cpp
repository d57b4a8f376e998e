#include "nights/SunTimes.h"

#include <libnova/julian_day.h>
#include <libnova/rise_set.h>
#include <libnova/solar.h>
#include <libnova/transform.h>

#include <cmath>
#include <cstdlib>

namespace lum::nights {

namespace {
constexpr double kMsPerDay = 86'400'000.0;
constexpr double kUnixEpochJulianDay = 2'440'587.5;
constexpr double kDegreesPerDay = 360.0;
constexpr double kMsPerMinute = 60'000.0;
constexpr double kMaxLatitude = 90.0;
constexpr double kMaxLongitude = 180.0;

double JulianDay(int64_t timeMs) { return static_cast<double>(timeMs) / kMsPerDay + kUnixEpochJulianDay; }
int64_t TimeMs(double julianDay) { return std::llround((julianDay - kUnixEpochJulianDay) * kMsPerDay); }

ln_lnlat_posn Observer(const Site& site) {
  ln_lnlat_posn observer{};
  observer.lng = site.longitude;
  observer.lat = site.latitude;
  return observer;
}

// The sun's rise and set on the local day that starts at the site's mean midnight.
std::optional<ln_rst_time> RiseSet(const Site& site, int64_t dayMs) {
  ln_lnlat_posn observer = Observer(site);
  ln_rst_time rst{};
  const double localMidnight = JulianDay(dayMs) - site.longitude / kDegreesPerDay;
  if (ln_get_solar_rst(localMidnight, &observer, &rst) != 0) return std::nullopt;
  return rst;
}
}  // namespace

std::optional<std::string> SiteProblem(const Site& site) {
  if (!std::isfinite(site.latitude) || std::fabs(site.latitude) > kMaxLatitude)
    return "latitude must be a number from -90 to 90";
  if (!std::isfinite(site.longitude) || std::fabs(site.longitude) > kMaxLongitude)
    return "longitude must be a number from -180 to 180";
  return std::nullopt;
}

std::optional<Site> ParseSite(const std::string& text) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::string lat = text.substr(0, comma);
  const std::string lon = text.substr(comma + 1);
  char* end = nullptr;
  Site site;
  site.latitude = std::strtod(lat.c_str(), &end);
  if (lat.empty() || *end != '\0') return std::nullopt;
  site.longitude = std::strtod(lon.c_str(), &end);
  if (lon.empty() || *end != '\0') return std::nullopt;
  if (SiteProblem(site)) return std::nullopt;
  return site;
}

double SunElevation(const Site& site, int64_t timeMs) {
  const double jd = JulianDay(timeMs);
  ln_equ_posn sun{};
  ln_get_solar_equ_coords(jd, &sun);
  ln_lnlat_posn observer = Observer(site);
  ln_hrz_posn horizon{};
  ln_get_hrz_from_equ(&sun, &observer, jd, &horizon);
  return horizon.alt;
}

double SunNight::Minutes() const { return static_cast<double>(sunriseMs - sunsetMs) / kMsPerMinute; }

std::optional<SunNight> NightAt(const Site& site, int64_t dayMs) {
  const std::optional<ln_rst_time> today = RiseSet(site, dayMs);
  const std::optional<ln_rst_time> tomorrow = RiseSet(site, dayMs + static_cast<int64_t>(kMsPerDay));
  if (!today || !tomorrow) return std::nullopt;
  SunNight night{TimeMs(today->set), TimeMs(tomorrow->rise)};
  if (night.sunriseMs <= night.sunsetMs) return std::nullopt;
  return night;
}

}  // namespace lum::nights
