#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "nights/NightChecks.h"

namespace lum::nights {

/// The thresholds of the settings file: section [Nights] for every controller, [Nights <serial>]
/// for one of them; a key left out keeps the value before it.
inline constexpr char kThresholdSection[] = "Nights";
inline constexpr char kCutCriticalKey[] = "CutCriticalNights";
inline constexpr char kLitLongerKey[] = "LitLongerMinutes";
inline constexpr char kFadingNightsKey[] = "FadingNights";
inline constexpr char kFadingSlopeKey[] = "FadingVoltsPerNight";
inline constexpr char kNoDataKey[] = "NoDataHours";

/// One section's (key, value) lines in file order.
using SettingEntries = std::vector<std::pair<std::string, std::string>>;

/// The section that holds one controller's own thresholds.
std::string ControllerThresholdSection(std::string_view serial);

/// `base` with the section's entries set. Throws std::invalid_argument naming section, key and
/// the range when a key is unknown or its value is not a number in range.
Thresholds ApplyThresholdEntries(Thresholds base, const SettingEntries& entries, std::string_view section);

}  // namespace lum::nights
