#include "base/Crc16.h"

namespace lum {

namespace {
constexpr uint16_t kPolynomial = 0x1021;
}

uint16_t Crc16(const uint8_t* data, size_t length) {
  uint16_t crc = 0;
  for (size_t i = 0; i < length; ++i) {
    crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ kPolynomial) : static_cast<uint16_t>(crc << 1);
  }
  return crc;
}

}  // namespace lum
