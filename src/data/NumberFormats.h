#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lum {

/// Scales of the shown settings: mV or mA shown as V or A, and tens of mV shown as V.
inline constexpr unsigned kScaleMilli = 1000;
inline constexpr unsigned kScaleCenti = 100;

/// A typed text that is not a valid value. what() is the text for the error box, for
/// example "'1x' is not a valid integer value".
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// "%d.%.2d" of (value div scale, (value mod scale) div (scale / 100)): two decimals, truncated.
std::string FormatScaled(uint16_t value, unsigned scale);

/// Text to a 16-bit value at the scale (see the rules in NumberFormats.cpp). Throws
/// ConversionError for a non-integer part and for a value that does not fit 16 bits.
uint16_t ParseScaled(const std::string& text, unsigned scale);

/// A number typed by a person, at the scale: digits with at most one decimal separator ("."
/// or `separator`, the one of the language in use) and digits after it, cut to the scale's
/// decimals. nullopt for anything else (an empty text, a sign, an exponent, a letter, a second
/// separator) and for a value beyond 16 bits: such a text is refused, never read in part.
std::optional<uint16_t> ParseTypedScaled(std::string_view text, unsigned scale, std::string_view separator);

/// "%.2X%.8d" of (serial >> 24, serial & 0xFFFFFF).
std::string FormatSerial(uint32_t serial);
/// The serial number a FormatSerial text shows (two hex digits, eight decimal digits below
/// 2^24), or nullopt for any other text.
std::optional<uint32_t> ParseSerial(const std::string& text);
/// "%d.%d.%d.%d" of (version / 100, (version % 100) / 10, version % 10, build).
std::string FormatFirmware(uint16_t version, uint16_t build);
/// "%.2d-%.2d-%.4d" of (bits 24-31, bits 16-23, bits 0-15).
std::string FormatBatch(uint32_t batch);

}  // namespace lum
