#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lum {

/// A firmware version as the controller reports it: the three-digit version number and the
/// build, ordered version first.
struct FirmwareLevel {
  uint16_t version = 0;
  uint16_t build = 0;
  bool operator==(const FirmwareLevel&) const = default;
  bool operator<(const FirmwareLevel& other) const {
    return version != other.version ? version < other.version : build < other.build;
  }
};

/// "1.2.3" (build 0) or "1.2.3.7", as the window shows a firmware version; nullopt for
/// anything else (each of the three version digits is 0..9).
std::optional<FirmwareLevel> ParseFirmwareLevel(const std::string& text);

}  // namespace lum
