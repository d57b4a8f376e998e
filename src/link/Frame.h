#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "data/CommandCodes.h"

namespace lum {

/// The wire format of requests and replies (big-endian).
namespace frame {
inline constexpr size_t kSize = 8;  // request and short reply
inline constexpr size_t kAddress = 0;
inline constexpr size_t kCode = 1;
inline constexpr size_t kIndex = 2;    // b2
inline constexpr size_t kByteArg = 3;  // b3
inline constexpr size_t kWord = 4;     // W, 2 bytes
inline constexpr size_t kCrc = 6;      // over bytes 0..5
inline constexpr size_t kCrcSize = 2;  // every frame ends with its CRC, high byte first

// Long reply: address, code, n, n data bytes, CRC over bytes 0..2+n.
inline constexpr uint8_t kLongCodeFirst = 0xF0;
inline constexpr uint8_t kLongCodeLast = 0xFE;
inline constexpr size_t kLongLength = 2;
inline constexpr size_t kLongData = 3;
inline constexpr size_t kLongOverhead = kLongData + kCrcSize;  // address, code, n, CRC
inline constexpr uint8_t kLongDataLimit = 26;                  // n is below this
inline constexpr size_t kLongMaxSize = kLongOverhead + kLongDataLimit - 1;

inline constexpr uint8_t kReplyFlag = 0x80;  // reply code = command code | this
inline constexpr uint8_t kWriteFlag = 0x80;  // in the index byte: a write

// Channel commands: index byte = write flag | channel << 4 | group; W of a timing
// segment = segment << 12 | minutes.
inline constexpr uint8_t kGroupMask = 0x0F;
inline constexpr unsigned kChannelShift = 4;
inline constexpr uint8_t kChannelMask = 0x07;
inline constexpr unsigned kSegmentShift = 12;
inline constexpr uint16_t kMinutesMask = 0x0FFF;

inline constexpr uint8_t kFuncFlagsMask = 0x7F;  // bit 7 of a 0x87 reply's b2 is not a flag
}  // namespace frame

constexpr uint8_t ReplyCode(uint8_t command) { return static_cast<uint8_t>(command | frame::kReplyFlag); }

/// Index byte of a channel command for channel `channel` of group `group`.
constexpr uint8_t ChannelIndex(int channel, int group = 0, bool write = false) {
  return static_cast<uint8_t>((write ? frame::kWriteFlag : 0) |
                              ((channel & frame::kChannelMask) << frame::kChannelShift) | (group & frame::kGroupMask));
}

/// Word argument of a timing command: segment k (0..4) and the minutes.
constexpr uint16_t SegmentWord(int segment, uint16_t minutes = 0) {
  return static_cast<uint16_t>((segment << frame::kSegmentShift) | (minutes & frame::kMinutesMask));
}

using FrameBytes = std::array<uint8_t, frame::kSize>;

/// An 8-byte frame (a request, or a short reply) with its CRC.
FrameBytes EncodeFrame(uint8_t address, uint8_t code, uint8_t index, uint8_t byteArg, uint16_t word);

/// A long reply with its CRC; `data` holds at most kLongDataLimit - 1 bytes (more are cut).
std::vector<uint8_t> EncodeLongFrame(uint8_t address, uint8_t code, std::span<const uint8_t> data);

/// Length of the frame the receive scan tries at a start position, from the two bytes that
/// follow the start: a long reply's code and a length byte below the limit give n + 5,
/// anything else the 8 bytes of a short frame.
constexpr size_t CandidateLength(uint8_t code, uint8_t length) {
  return code >= frame::kLongCodeFirst && code <= frame::kLongCodeLast && length < frame::kLongDataLimit
             ? length + frame::kLongOverhead
             : frame::kSize;
}

}  // namespace lum
