#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lum {

/// Byte layout of an upgrade file (.eff); every number is big-endian.
namespace eff_layout {
inline constexpr char kMagic[] = "EFF";
inline constexpr size_t kMagicSize = 3;
inline constexpr size_t kFixedHeaderSize = 10;
inline constexpr size_t kFileVersionOffset = 3;
inline constexpr size_t kFileVersionSize = 3;
inline constexpr size_t kExtensionLengthOffset = 6;
inline constexpr size_t kBlockSizeOffset = 7;
inline constexpr size_t kDataBlockCountOffset = 8;
/// The header goes on in groups of 4 bytes: checksum, device ID, version and build.
inline constexpr size_t kGroupSize = 4;
inline constexpr size_t kChecksumOffsetInGroup = 1;  // 24 bits; the group's first byte is ignored
inline constexpr size_t kVersionOffsetInGroup = 0;
inline constexpr size_t kBuildOffsetInGroup = 2;
/// Where the data section begins, whatever extension length the header declares.
inline constexpr size_t kDataSectionOffset = kFixedHeaderSize + 3 * kGroupSize;
inline constexpr size_t kDataCapacity = 4096;
inline constexpr size_t kImageCapacity = 16384;
}  // namespace eff_layout

/// The loaded upgrade file. The byte buffers are never cleared between loads: bytes past the
/// lengths keep what an earlier load left, and the last partial transfer block is filled from
/// them.
struct EffContent {
  uint32_t DeviceID = 0;
  uint8_t BlockSize = 0;
  uint16_t Version = 0;
  uint16_t Build = 0;
  uint32_t DataLength = 0;   // data-section bytes actually read
  uint32_t ImageLength = 0;  // image bytes actually read
  bool Accepted = false;     // the last load passed every check; only then may it be sent
  std::array<uint8_t, eff_layout::kDataCapacity> Data{};
  std::array<uint8_t, eff_layout::kImageCapacity> Image{};
};

}  // namespace lum
