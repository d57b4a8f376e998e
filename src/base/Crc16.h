#pragma once

#include <cstddef>
#include <cstdint>

namespace lum {

/// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection, no final XOR.
/// A frame followed by its own CRC (high byte first) yields 0.
uint16_t Crc16(const uint8_t* data, size_t length);

}  // namespace lum
