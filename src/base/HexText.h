#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lum {

/// The bytes as upper-case hexadecimal digits, two per byte, nothing between them.
std::string HexText(const uint8_t* data, size_t size);

}  // namespace lum
