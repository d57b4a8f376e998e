#include "sim/Request.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "base/Crc16.h"

namespace lum::sim {

bool CrcChecks(const uint8_t* bytes, size_t length) { return length >= frame::kCrcSize && Crc16(bytes, length) == 0; }

Request DecodeRequest(const RawFrame& bytes) {
  Request r;
  r.address = bytes[frame::kAddress];
  r.code = bytes[frame::kCode];
  r.index = bytes[frame::kIndex];
  r.byteArg = bytes[frame::kByteArg];
  r.word = ReadU16Be(bytes.data() + frame::kWord);
  return r;
}

std::vector<RawFrame> RequestScanner::Feed(const uint8_t* data, size_t length) {
  pending_.insert(pending_.end(), data, data + length);
  std::vector<RawFrame> frames;
  size_t start = 0;
  while (pending_.size() - start >= frame::kSize) {
    if (CrcChecks(pending_.data() + start, frame::kSize)) {
      RawFrame checked;
      std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(start), frame::kSize, checked.begin());
      frames.push_back(checked);
      start += frame::kSize;
    } else {
      ++start;
    }
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
  return frames;
}

}  // namespace lum::sim
