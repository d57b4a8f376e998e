#include "nights/ThresholdSettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace lum::nights {

namespace {
constexpr int kMaxNights = 366;
constexpr int kMinFadingNights = 2;
constexpr double kMaxLitLongerMinutes = 24 * 60;
constexpr double kMaxFadingVoltsPerNight = 5;
constexpr double kMaxNoDataHours = 24 * 366;

// A key, where its value goes and the range it must lie in (whole numbers for the counts).
struct ThresholdKey {
  const char* key;
  double Thresholds::*number;
  int Thresholds::*count;
  double least;
  double most;
  bool leastIncluded;
};

const std::array<ThresholdKey, 5> kKeys{{
    {kCutCriticalKey, nullptr, &Thresholds::cutShortCriticalRun, 1, kMaxNights, true},
    {kLitLongerKey, &Thresholds::litLongerMinutes, nullptr, 0, kMaxLitLongerMinutes, true},
    {kFadingNightsKey, nullptr, &Thresholds::fadingNights, kMinFadingNights, kMaxNights, true},
    {kFadingSlopeKey, &Thresholds::fadingVoltsPerNight, nullptr, 0, kMaxFadingVoltsPerNight, false},
    {kNoDataKey, &Thresholds::noDataHours, nullptr, 0, kMaxNoDataHours, false},
}};

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The whole text as a finite number, nothing before or after it.
bool ParseNumber(std::string_view text, double& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end && std::isfinite(value);
}

std::string RangeText(const ThresholdKey& k) {
  const auto number = [](double v) {
    std::string text = std::to_string(v);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
  };
  const std::string kind = k.count != nullptr ? "a whole number" : "a number";
  return kind + (k.leastIncluded ? " from " : " above ") + number(k.least) + (k.leastIncluded ? " to " : " up to ") +
         number(k.most);
}

void Set(Thresholds& thresholds, const ThresholdKey& k, std::string_view value, std::string_view section) {
  double number = 0;
  const bool inRange = ParseNumber(value, number) && (k.leastIncluded ? number >= k.least : number > k.least) &&
                       number <= k.most && (k.count == nullptr || number == std::floor(number));
  if (!inRange)
    throw std::invalid_argument("[" + std::string(section) + "] " + k.key + ": '" + std::string(value) + "' is not " +
                                RangeText(k));
  if (k.count != nullptr)
    thresholds.*k.count = static_cast<int>(number);
  else
    thresholds.*k.number = number;
}
}  // namespace

std::string ControllerThresholdSection(std::string_view serial) {
  return std::string(kThresholdSection) + " " + std::string(serial);
}

Thresholds ApplyThresholdEntries(Thresholds base, const SettingEntries& entries, std::string_view section) {
  for (const auto& entry : entries) {
    const std::string& key = entry.first;
    const auto* known =
        std::find_if(kKeys.begin(), kKeys.end(), [&](const ThresholdKey& k) { return SameKey(k.key, key); });
    if (known == kKeys.end())
      throw std::invalid_argument("[" + std::string(section) + "] " + key + ": not a threshold (" + kCutCriticalKey +
                                  ", " + kLitLongerKey + ", " + kFadingNightsKey + ", " + kFadingSlopeKey + ", " +
                                  kNoDataKey + ")");
    Set(base, *known, entry.second, section);
  }
  return base;
}

}  // namespace lum::nights
