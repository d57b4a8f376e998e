#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lum {

/// SHA-256 of a byte run, as 32 bytes or as 64 lower-case hex digits.
std::array<uint8_t, 32> Sha256(const uint8_t* data, size_t size);
std::string Sha256Hex(const uint8_t* data, size_t size);

}  // namespace lum
