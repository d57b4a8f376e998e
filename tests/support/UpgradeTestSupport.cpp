#include "support/UpgradeTestSupport.h"

#include <numeric>

#include "base/ByteOrder.h"

namespace lum::test {

void MemoRecorder::EndLine(const std::string& text) {
  if (lines.empty()) lines.emplace_back();
  lines.back() += text;
}

std::vector<uint8_t> EffBytes(const EffFields& eff) {
  std::vector<uint8_t> bytes = lum::BuildEff(eff);
  bytes[eff_layout::kFixedHeaderSize] = 0x5A;
  return bytes;
}

std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i + seed);
  return bytes;
}

}  // namespace lum::test
