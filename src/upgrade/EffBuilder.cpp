#include "upgrade/EffBuilder.h"

#include <numeric>

#include "base/ByteOrder.h"
#include "upgrade/EffContent.h"

namespace lum {

std::vector<uint8_t> BuildEff(const EffFields& eff) {
  using namespace eff_layout;
  constexpr uint32_t kChecksumMask = 0xFFFFFF;
  std::vector<uint8_t> bytes(kDataSectionOffset, 0);
  for (size_t i = 0; i < eff.magic.size() && i < kMagicSize; ++i) bytes[i] = static_cast<uint8_t>(eff.magic[i]);
  for (size_t i = 0; i < eff.fileVersion.size() && i < kFileVersionSize; ++i)
    bytes[kFileVersionOffset + i] = static_cast<uint8_t>(eff.fileVersion[i]);
  bytes[kExtensionLengthOffset] = eff.extensionLength;
  bytes[kBlockSizeOffset] = eff.blockSize;
  const size_t blocks = eff.blockSize == 0 ? 0 : (eff.data.size() + eff.blockSize - 1) / eff.blockSize;
  bytes[kDataBlockCountOffset] = eff.dataBlocks.value_or(static_cast<uint8_t>(blocks));
  const uint32_t sum =
      std::accumulate(eff.data.begin(), eff.data.end(), 0u) + std::accumulate(eff.image.begin(), eff.image.end(), 0u);
  uint8_t* checksumGroup = bytes.data() + kFixedHeaderSize;
  WriteU32Be(checksumGroup, eff.checksum.value_or(sum) & kChecksumMask);
  WriteU32Be(checksumGroup + kGroupSize, eff.deviceId);
  WriteU16Be(checksumGroup + 2 * kGroupSize + kVersionOffsetInGroup, eff.version);
  WriteU16Be(checksumGroup + 2 * kGroupSize + kBuildOffsetInGroup, eff.build);
  bytes.insert(bytes.end(), eff.data.begin(), eff.data.end());
  bytes.insert(bytes.end(), eff.image.begin(), eff.image.end());
  return bytes;
}

}  // namespace lum
