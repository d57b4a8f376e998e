#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/Frame.h"

// The controller's side of the frame format: checked requests taken off the line.
namespace lum::sim {

using Bytes = std::vector<uint8_t>;

/// A checked 8-byte request, as the controller's log keeps it.
using RawFrame = FrameBytes;

/// The fields of an 8-byte frame (a request, or a short reply) and what a controller reads
/// out of them.
struct Request {
  uint8_t address = 0;
  uint8_t code = 0;
  uint8_t index = 0;
  uint8_t byteArg = 0;
  uint16_t word = 0;

  bool IsWrite() const { return (index & frame::kWriteFlag) != 0; }
  int Group() const { return index & frame::kGroupMask; }
  int Channel() const { return (index >> frame::kChannelShift) & frame::kChannelMask; }
  int Segment() const { return word >> frame::kSegmentShift; }
  uint16_t Minutes() const { return word & frame::kMinutesMask; }
};

/// Decodes a frame whose CRC has been checked.
Request DecodeRequest(const RawFrame& frame);

/// True when Crc16 over the whole run, its CRC included, is 0.
bool CrcChecks(const uint8_t* frame, size_t length);

/// Collects received bytes and takes checked requests out of them. Bytes that do not start
/// a valid request are dropped one by one, so the scanner finds its way back into step after
/// noise; a request split over several reads is taken once its last byte is in.
class RequestScanner {
 public:
  /// Appends the bytes and returns every checked request frame completed by them, in order.
  std::vector<RawFrame> Feed(const uint8_t* data, size_t length);

 private:
  Bytes pending_;
};

}  // namespace lum::sim
