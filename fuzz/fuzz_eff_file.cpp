// Upgrade files from untrusted bytes: loading must never overrun or crash, and whatever it
// accepts must be sendable (lengths within the buffers, a block size).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "data/TypeTables.h"
#include "upgrade/EffFile.h"

namespace {

class DiscardingMemo final : public lum::UpgradeMemo {
 public:
  void SetText(const std::string&) override {}
  void AddLine(const std::string&) override {}
  void EndLine(const std::string&) override {}
  void SetFileName(const std::string&) override {}
  void SetFirmwareVersion(const std::string&) override {}
  void SetDescription(const std::string&) override {}
  void SetProgress(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static lum::MessageTable messages = [] {
    lum::MessageTable table;
    table.FillBuiltIn();
    return table;
  }();
  static const lum::ModelNames names = lum::DefaultModelNames();
  static lum::EffContent content;  // one instance across loads, as in the program
  auto check = [&](const uint8_t* bytes, size_t length) {
    DiscardingMemo memo;
    const bool accepted = lum::LoadEffBytes(bytes, length, "fuzz.eff", content, memo, messages, names);
    if (accepted && (content.BlockSize == 0 || content.DataLength > content.Data.size() ||
                     content.ImageLength > content.Image.size()))
      std::abort();
  };
  check(data, size);

  // Random bytes rarely get past the magic and the model: also try them with a plausible header.
  using namespace lum::eff_layout;
  if (size < kDataSectionOffset) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  for (size_t i = 0; i < kMagicSize; ++i) bytes[i] = static_cast<uint8_t>(kMagic[i]);
  bytes[kExtensionLengthOffset] |= 3 * kGroupSize;
  uint8_t* deviceId = bytes.data() + kFixedHeaderSize + kGroupSize;
  const uint32_t variant = lum::ReadU32Be(deviceId) & ~lum::kProductCodeMask;
  lum::WriteU32Be(deviceId, variant | lum::DeviceTypes()[data[0] % lum::kDeviceTypeCount].ProductCode);
  check(bytes.data(), bytes.size());
  return 0;
}
