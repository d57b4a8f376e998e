#include "link/Frame.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "base/Crc16.h"

namespace lum {

FrameBytes EncodeFrame(uint8_t address, uint8_t code, uint8_t index, uint8_t byteArg, uint16_t word) {
  FrameBytes bytes{};
  bytes[frame::kAddress] = address;
  bytes[frame::kCode] = code;
  bytes[frame::kIndex] = index;
  bytes[frame::kByteArg] = byteArg;
  WriteU16Be(&bytes[frame::kWord], word);
  WriteU16Be(&bytes[frame::kCrc], Crc16(bytes.data(), frame::kCrc));
  return bytes;
}

std::vector<uint8_t> EncodeLongFrame(uint8_t address, uint8_t code, std::span<const uint8_t> data) {
  const size_t n = std::min<size_t>(data.size(), frame::kLongDataLimit - 1);
  std::vector<uint8_t> bytes(n + frame::kLongOverhead);
  bytes[frame::kAddress] = address;
  bytes[frame::kCode] = code;
  bytes[frame::kLongLength] = static_cast<uint8_t>(n);
  std::copy_n(data.begin(), n, bytes.begin() + frame::kLongData);
  const size_t crcAt = frame::kLongData + n;
  WriteU16Be(&bytes[crcAt], Crc16(bytes.data(), crcAt));
  return bytes;
}

}  // namespace lum
