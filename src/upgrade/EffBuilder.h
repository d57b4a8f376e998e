#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lum {

/// The fields of an upgrade file to write. The checksum is computed unless given.
struct EffFields {
  std::string magic = "EFF";
  std::string fileVersion = "1.0";
  uint8_t extensionLength = 12;
  uint8_t blockSize = 8;
  std::optional<uint8_t> dataBlocks;  // default: enough for `data`
  std::optional<uint32_t> checksum;   // 24 bits
  uint32_t deviceId = 0x00515610;
  uint16_t version = 123;
  uint16_t build = 7;
  std::vector<uint8_t> data;
  std::vector<uint8_t> image;
};

/// The bytes of an upgrade file with these fields.
std::vector<uint8_t> BuildEff(const EffFields& eff);

}  // namespace lum
