#pragma once

#include <cstdint>
#include <vector>

namespace lum::test {

using Bytes = std::vector<uint8_t>;

/// An 8-byte frame to or from address 0 (a request or a short reply), CRC included, as the
/// line carries it.
Bytes ShortFrame(uint8_t code, uint8_t index = 0, uint8_t byteArg = 0, uint16_t word = 0);

}  // namespace lum::test
