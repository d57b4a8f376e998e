#include "data/NumberFormats.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <string_view>

namespace lum {

namespace {

constexpr unsigned kShownDecimalsDivisor = 100;  // two decimals are shown
constexpr uint32_t kMaxValue = std::numeric_limits<uint16_t>::max();

constexpr unsigned kSerialHighShift = 24;
constexpr uint32_t kSerialLowMask = 0xFFFFFF;
constexpr unsigned kFirmwareMajor = 100;
constexpr unsigned kFirmwareMinor = 10;
constexpr unsigned kBatchHighShift = 24;
constexpr unsigned kBatchMidShift = 16;
constexpr uint32_t kByteMask = 0xFF;
constexpr uint32_t kWordMask = 0xFFFF;

// Number of decimals a scale stands for: 3 at 1000, 2 at 100.
size_t Decimals(unsigned scale) {
  if (scale == kScaleMilli) return 3;
  if (scale == kScaleCenti) return 2;
  throw std::invalid_argument(fmt::format("unsupported scale {}", scale));
}

// The largest value as shown at the scale, for the messages: 65.535 or 655.35.
std::string MaxText(unsigned scale) {
  return fmt::format("{}.{:0{}}", kMaxValue / scale, kMaxValue % scale, Decimals(scale));
}

[[noreturn]] void ThrowNotInteger(std::string_view part) {
  throw ConversionError(fmt::format("'{}' is not a valid integer value", part));
}

[[noreturn]] void ThrowOutOfRange(const std::string& text, bool negative, unsigned scale) {
  if (negative) throw ConversionError(fmt::format("'{}' is out of range (not below 0)", text));
  throw ConversionError(fmt::format("'{}' is out of range (at most {})", text, MaxText(scale)));
}

struct Integer {
  bool negative = false;
  uint64_t magnitude = 0;  // saturates just above the 16-bit range: larger is out of range anyway
};

// Optional sign followed by at least one digit, nothing else.
std::optional<Integer> ParseInteger(std::string_view text) {
  Integer result;
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) result.negative = text[pos++] == '-';
  if (pos == text.size()) return std::nullopt;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c < '0' || c > '9') return std::nullopt;
    result.magnitude = result.magnitude * 10 + static_cast<uint64_t>(c - '0');
    if (result.magnitude > kMaxValue) result.magnitude = kMaxValue + 1;
  }
  return result;
}

bool AllDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

uint16_t Checked(uint64_t value, bool negative, const std::string& text, unsigned scale) {
  if (negative && value != 0) ThrowOutOfRange(text, true, scale);
  if (value > kMaxValue) ThrowOutOfRange(text, false, scale);
  return static_cast<uint16_t>(value);
}

}  // namespace

std::string FormatScaled(uint16_t value, unsigned scale) {
  static_cast<void>(Decimals(scale));  // rejects a scale the shown format does not know
  const unsigned d = scale / kShownDecimalsDivisor;
  return fmt::format("{}.{:02d}", value / scale, (value % scale) / d);
}

// Without ".": an integer times the scale, anything else 0. With ".": the part before the first
// "." must be an integer, the part after it digits, padded or cut to the scale's decimals.
// Negative results and results above 16 bits are refused instead of wrapping.
uint16_t ParseScaled(const std::string& text, unsigned scale) {
  const size_t decimals = Decimals(scale);
  const size_t dot = text.find('.');
  if (dot == std::string::npos) {
    // Without a point, text that is not an integer counts as 0.
    const auto integer = ParseInteger(text);
    if (!integer) return 0;
    return Checked(integer->magnitude * scale, integer->negative, text, scale);
  }

  const std::string_view whole = std::string_view(text).substr(0, dot);
  const auto integer = ParseInteger(whole);
  if (!integer) ThrowNotInteger(whole);

  // Digits beyond the scale's decimals are cut off rather than added as a whole number.
  std::string fraction = text.substr(dot + 1);
  if (!AllDigits(fraction)) {
    if (fraction.size() < decimals) fraction.append(decimals - fraction.size(), '0');
    ThrowNotInteger(fraction);
  }
  fraction.resize(decimals, '0');
  uint64_t fractionValue = 0;
  for (char c : fraction) fractionValue = fractionValue * 10 + static_cast<uint64_t>(c - '0');

  return Checked(integer->magnitude * scale + fractionValue, integer->negative, text, scale);
}

std::optional<uint16_t> ParseTypedScaled(std::string_view text, unsigned scale, std::string_view separator) {
  size_t split = text.find('.');
  size_t width = 1;
  if (split == std::string_view::npos && !separator.empty()) {
    split = text.find(separator);
    width = separator.size();
  }
  const std::string_view whole = text.substr(0, split);
  const std::string_view fraction = split == std::string_view::npos ? std::string_view() : text.substr(split + width);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (!AllDigits(whole) || !AllDigits(fraction)) return std::nullopt;

  uint64_t value = 0;
  for (char c : whole) {
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > kMaxValue) return std::nullopt;
  }
  // Digits beyond the scale's decimals are cut, as the fields show values cut to two.
  std::string decimals(fraction.substr(0, std::min(fraction.size(), Decimals(scale))));
  decimals.resize(Decimals(scale), '0');
  value *= scale;
  for (size_t i = 0, unit = scale / 10; i < decimals.size(); ++i, unit /= 10)
    value += static_cast<uint64_t>(decimals[i] - '0') * unit;
  if (value > kMaxValue) return std::nullopt;
  return static_cast<uint16_t>(value);
}

std::string FormatSerial(uint32_t serial) {
  return fmt::format("{:02X}{:08d}", serial >> kSerialHighShift, serial & kSerialLowMask);
}

std::optional<uint32_t> ParseSerial(const std::string& text) {
  constexpr size_t kHighDigits = 2, kLowDigits = 8;
  if (text.size() != kHighDigits + kLowDigits) return std::nullopt;
  uint32_t high = 0, low = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i < kHighDigits) {
      const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                        : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                        : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                                                                    : -1;
      if (digit < 0) return std::nullopt;
      high = high * 16 + static_cast<uint32_t>(digit);
    } else {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
      low = low * 10 + static_cast<uint32_t>(c - '0');
    }
  }
  if (low > kSerialLowMask) return std::nullopt;
  return high << kSerialHighShift | low;
}

std::string FormatFirmware(uint16_t version, uint16_t build) {
  return fmt::format("{}.{}.{}.{}", version / kFirmwareMajor, (version % kFirmwareMajor) / kFirmwareMinor,
                     version % kFirmwareMinor, build);
}

std::string FormatBatch(uint32_t batch) {
  return fmt::format("{:02d}-{:02d}-{:04d}", (batch >> kBatchHighShift) & kByteMask,
                     (batch >> kBatchMidShift) & kByteMask, batch & kWordMask);
}

}  // namespace lum
