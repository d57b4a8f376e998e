#include "provision/Firmware.h"

#include <charconv>
#include <limits>
#include <vector>

namespace lum {

namespace {
constexpr int kMaxDigit = 9;
constexpr int kHundreds = 100;
constexpr int kTens = 10;
}  // namespace

std::optional<FirmwareLevel> ParseFirmwareLevel(const std::string& text) {
  std::vector<unsigned> parts;
  const char* p = text.data();
  const char* end = text.data() + text.size();
  while (true) {
    unsigned value = 0;
    const auto [next, error] = std::from_chars(p, end, value);
    if (error != std::errc() || next == p) return std::nullopt;
    parts.push_back(value);
    p = next;
    if (p == end) break;
    if (*p != '.') return std::nullopt;
    ++p;
  }
  if (parts.size() != 3 && parts.size() != 4) return std::nullopt;
  if (parts[1] > kMaxDigit || parts[2] > kMaxDigit) return std::nullopt;
  const unsigned version = parts[0] * kHundreds + parts[1] * kTens + parts[2];
  const unsigned build = parts.size() == 4 ? parts[3] : 0;
  constexpr unsigned kMax = std::numeric_limits<uint16_t>::max();
  if (version > kMax || build > kMax) return std::nullopt;
  return FirmwareLevel{static_cast<uint16_t>(version), static_cast<uint16_t>(build)};
}

}  // namespace lum
