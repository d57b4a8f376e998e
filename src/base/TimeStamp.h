#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace lum {

/// Local time as "yyyy-mm-dd hh:mm:ss.zzz".
std::string NowStamp();
std::string FormatStamp(std::chrono::system_clock::time_point when);

/// UTC as "yyyy-mm-ddThh:mm:ss.zzzZ" (sorts as text).
std::string UtcStamp(std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

/// A UTC time typed by a person: "yyyy-mm-dd", "yyyy-mm-ddThh:mm" or "yyyy-mm-ddThh:mm:ss"
/// ("T" or a space; an optional "Z"); nullopt for anything else.
std::optional<std::chrono::system_clock::time_point> ParseUtcStamp(const std::string& text);

/// Local time in ISO 8601 with milliseconds and the UTC offset: "2026-07-28T09:15:02.125+02:00".
std::string IsoStamp(std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

}  // namespace lum
