#include "language/DeviceText.h"

#include <fmt/format.h>

#include <cstdint>

#include "base/HexText.h"
#include "base/TextEncoding.h"

namespace lum {

namespace {
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
// U+0080..U+009F in UTF-8: 0xC2 then 0x80..0x9F. Some terminals act on these as on ESC [.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kC1First = 0x80;
constexpr unsigned char kC1Last = 0x9F;
}  // namespace

std::string DeviceText(std::string_view bytes) { return DecodeText(bytes, DetectEncoding(bytes)); }

void PutDeviceText(nlohmann::ordered_json& object, const std::string& key, std::string_view bytes) {
  object[key] = DeviceText(bytes);
  object[key + kDeviceTextBytesSuffix] = HexText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string TerminalText(std::string_view bytes) {
  const std::string text = DeviceText(bytes);
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (byte < kFirstPrintable || byte == kDelete) {
      shown += fmt::format("\\x{:02X}", byte);
    } else if (byte == kC1Lead && next >= kC1First && next <= kC1Last) {
      shown += fmt::format("\\u{:04X}", next);
      ++i;
    } else {
      shown += text[i];
    }
  }
  return shown;
}

}  // namespace lum
