#include "base/TimeStamp.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <ctime>

namespace lum {

std::string FormatStamp(std::chrono::system_clock::time_point when) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  return fmt::format("{:04d}-{:02d}-{:02d} {:02d}:{:02d}:{:02d}.{:03d}", local.tm_year + 1900, local.tm_mon + 1,
                     local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
}

std::string UtcStamp(std::chrono::system_clock::time_point when) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  return fmt::format("{:%Y-%m-%dT%H:%M:%S}.{:03d}Z", std::chrono::floor<std::chrono::seconds>(when), ms);
}

std::optional<std::chrono::system_clock::time_point> ParseUtcStamp(const std::string& text) {
  constexpr size_t kDate = 10;         // yyyy-mm-dd
  constexpr size_t kWithMinutes = 16;  // yyyy-mm-ddThh:mm
  constexpr size_t kWithSeconds = 19;  // yyyy-mm-ddThh:mm:ss
  std::string t = text;
  if (!t.empty() && (t.back() == 'Z' || t.back() == 'z')) t.pop_back();
  if (t.size() != kDate && t.size() != kWithMinutes && t.size() != kWithSeconds) return std::nullopt;
  // Digits where the pattern has them, its separators elsewhere.
  const std::string pattern = "0000-00-00T00:00:00";
  for (size_t i = 0; i < t.size(); ++i) {
    const bool digit = t[i] >= '0' && t[i] <= '9';
    if (pattern[i] == '0' ? !digit : (t[i] != pattern[i] && !(i == kDate && t[i] == ' '))) return std::nullopt;
  }
  const auto number = [&t](size_t from, size_t count) { return std::stoi(t.substr(from, count)); };
  std::tm parts{};
  parts.tm_year = number(0, 4) - 1900;
  parts.tm_mon = number(5, 2) - 1;
  parts.tm_mday = number(8, 2);
  if (t.size() > kDate) {
    parts.tm_hour = number(11, 2);
    parts.tm_min = number(14, 2);
  }
  if (t.size() > kWithMinutes) parts.tm_sec = number(17, 2);
  constexpr int kMonths = 12, kDays = 31, kHours = 23, kMinutes = 59, kSeconds = 59;
  if (parts.tm_mon < 0 || parts.tm_mon >= kMonths || parts.tm_mday < 1 || parts.tm_mday > kDays ||
      parts.tm_hour > kHours || parts.tm_min > kMinutes || parts.tm_sec > kSeconds)
    return std::nullopt;
  return std::chrono::system_clock::from_time_t(timegm(&parts));
}

std::string IsoStamp(std::chrono::system_clock::time_point when) {
  constexpr long kSecondsPerMinute = 60;
  constexpr long kMinutesPerHour = 60;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  const long offsetMinutes = local.tm_gmtoff / kSecondsPerMinute;
  const long offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  return fmt::format("{:04d}-{:02d}-{:02d}T{:02d}:{:02d}:{:02d}.{:03d}{}{:02d}:{:02d}", local.tm_year + 1900,
                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms),
                     offsetMinutes < 0 ? '-' : '+', offset / kMinutesPerHour, offset % kMinutesPerHour);
}

std::string NowStamp() { return FormatStamp(std::chrono::system_clock::now()); }

}  // namespace lum
