#include "base/HexText.h"

namespace lum {

std::string HexText(const uint8_t* data, size_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  constexpr unsigned kNibbleBits = 4;
  constexpr unsigned kNibbleMask = 0x0F;
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text += kDigits[data[i] >> kNibbleBits];
    text += kDigits[data[i] & kNibbleMask];
  }
  return text;
}

}  // namespace lum
