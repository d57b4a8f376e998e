#include "support/UpgradeTestSupport.h"

#include <numeric>

#include "base/ByteOrder.h"

namespace lum::test {

void MemoRecorder::EndLine(const std::string& text) {
  if (lines.empty()) lines.emplace_back();
  lines.back() += text;
}

std::vector<uint8_t> BuildEff(const EffFields& eff) {
  std::vector<uint8_t> bytes(eff_layout::kDataSectionOffset, 0);
  for (size_t i = 0; i < eff.magic.size() && i < eff_layout::kMagicSize; ++i)
    bytes[i] = static_cast<uint8_t>(eff.magic[i]);
  for (size_t i = 0; i < eff.fileVersion.size() && i < eff_layout::kFileVersionSize; ++i)
    bytes[eff_layout::kFileVersionOffset + i] = static_cast<uint8_t>(eff.fileVersion[i]);
  bytes[eff_layout::kExtensionLengthOffset] = eff.extensionLength;
  bytes[eff_layout::kBlockSizeOffset] = eff.blockSize;
  const size_t blocks = eff.blockSize == 0 ? 0 : (eff.data.size() + eff.blockSize - 1) / eff.blockSize;
  bytes[eff_layout::kDataBlockCountOffset] = eff.dataBlocks.value_or(static_cast<uint8_t>(blocks));
  const uint32_t sum =
      std::accumulate(eff.data.begin(), eff.data.end(), 0u) + std::accumulate(eff.image.begin(), eff.image.end(), 0u);
  using eff_layout::kGroupSize;
  uint8_t* checksumGroup = bytes.data() + eff_layout::kFixedHeaderSize;
  WriteU32Be(checksumGroup, eff.checksum.value_or(sum) & 0xFFFFFF);
  // The group's first byte is not part of the checksum: make it non-zero to prove that.
  checksumGroup[0] = 0x5A;
  WriteU32Be(checksumGroup + kGroupSize, eff.deviceId);
  WriteU16Be(checksumGroup + 2 * kGroupSize, eff.version);
  WriteU16Be(checksumGroup + 2 * kGroupSize + sizeof(uint16_t), eff.build);
  bytes.insert(bytes.end(), eff.data.begin(), eff.data.end());
  bytes.insert(bytes.end(), eff.image.begin(), eff.image.end());
  return bytes;
}

std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i + seed);
  return bytes;
}

}  // namespace lum::test
