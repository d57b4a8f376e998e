#include "sim/Wire.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "base/Crc16.h"

namespace lum::sim {

size_t wire::LongFrameSize(uint8_t code, uint8_t n) {
  if (code < kLongCodeFirst || code > kLongCodeLast || n > kMaxLongData) return 0;
  return kLongHeaderSize + n + kCrcSize;
}

bool CrcChecks(const uint8_t* frame, size_t length) { return length >= wire::kCrcSize && Crc16(frame, length) == 0; }

Request DecodeRequest(const RawFrame& frame) {
  Request r;
  r.address = frame[wire::kAddressAt];
  r.code = frame[wire::kCodeAt];
  r.index = frame[wire::kIndexAt];
  r.byteArg = frame[wire::kByteArgAt];
  r.word = ReadU16Be(frame.data() + wire::kWordAt);
  return r;
}

Bytes ShortFrame(uint8_t address, uint8_t code, const FrameArgs& args) {
  Bytes frame(wire::kFrameSize);
  frame[wire::kAddressAt] = address;
  frame[wire::kCodeAt] = code;
  frame[wire::kIndexAt] = args.index;
  frame[wire::kByteArgAt] = args.byteArg;
  WriteU16Be(frame.data() + wire::kWordAt, args.word);
  WriteU16Be(frame.data() + wire::kCrcAt, Crc16(frame.data(), wire::kCrcAt));
  return frame;
}

Bytes LongFrame(uint8_t address, uint8_t code, const Bytes& data) {
  const size_t n = std::min(data.size(), wire::kMaxLongData);
  const size_t crcAt = wire::kLongHeaderSize + n;
  Bytes frame(crcAt + wire::kCrcSize);
  frame[wire::kAddressAt] = address;
  frame[wire::kCodeAt] = code;
  frame[wire::kLengthAt] = static_cast<uint8_t>(n);
  std::copy_n(data.begin(), n, frame.begin() + wire::kLongHeaderSize);
  WriteU16Be(frame.data() + crcAt, Crc16(frame.data(), crcAt));
  return frame;
}

std::vector<RawFrame> RequestScanner::Feed(const uint8_t* data, size_t length) {
  pending_.insert(pending_.end(), data, data + length);
  std::vector<RawFrame> frames;
  size_t start = 0;
  while (pending_.size() - start >= wire::kFrameSize) {
    if (CrcChecks(pending_.data() + start, wire::kFrameSize)) {
      RawFrame frame;
      std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(start), wire::kFrameSize, frame.begin());
      frames.push_back(frame);
      start += wire::kFrameSize;
    } else {
      ++start;
    }
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
  return frames;
}

}  // namespace lum::sim
