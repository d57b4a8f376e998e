#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The controller's side of the frame format: requests in, short and long replies out.
namespace lum::sim {

using Bytes = std::vector<uint8_t>;

namespace wire {
inline constexpr size_t kFrameSize = 8;
inline constexpr size_t kAddressAt = 0;
inline constexpr size_t kCodeAt = 1;
inline constexpr size_t kIndexAt = 2;
inline constexpr size_t kByteArgAt = 3;
inline constexpr size_t kWordAt = 4;
inline constexpr size_t kCrcAt = 6;
inline constexpr size_t kCrcSize = 2;
inline constexpr size_t kLengthAt = 2;        // long frames: n, the data byte count
inline constexpr size_t kLongHeaderSize = 3;  // address, code, n
inline constexpr size_t kMaxLongData = 25;
inline constexpr uint8_t kLongCodeFirst = 0xF0;
inline constexpr uint8_t kLongCodeLast = 0xFE;

inline constexpr uint8_t kReplyBit = 0x80;   // reply code = command code | kReplyBit
inline constexpr uint8_t kWriteBit = 0x80;   // index byte bit 7 marks a write
inline constexpr uint8_t kGroupMask = 0x0F;  // index bits 0-3: group
inline constexpr int kChannelShift = 4;      // index bits 4-6: channel in the group
inline constexpr uint8_t kChannelMask = 0x07;
inline constexpr int kSegmentShift = 12;  // word bits 12-15: timing segment
inline constexpr uint16_t kMinutesMask = 0x0FFF;

/// Size of the long frame that would start with `code` and `n`, or 0 when these bytes do
/// not open a long frame (the rule a receiver scans by).
size_t LongFrameSize(uint8_t code, uint8_t n);
}  // namespace wire

/// Command codes a controller answers.
namespace command {
inline constexpr uint8_t kIdentify = 0x01;
inline constexpr uint8_t kFirmware = 0x02;
inline constexpr uint8_t kSerial = 0x03;
inline constexpr uint8_t kPowerOnTime = 0x04;
inline constexpr uint8_t kBatch = 0x05;
inline constexpr uint8_t kFunctionFlags = 0x07;
inline constexpr uint8_t kTemperature = 0x10;
inline constexpr uint8_t kBatteryVoltage = 0x11;
inline constexpr uint8_t kSolarVoltage = 0x13;
inline constexpr uint8_t kLoad1Voltage = 0x15;
inline constexpr uint8_t kLoad1Current = 0x16;
inline constexpr uint8_t kLightControl = 0x30;
inline constexpr uint8_t kBattOVP = 0x31;
inline constexpr uint8_t kBattFCV = 0x32;
inline constexpr uint8_t kBattUVP = 0x33;
inline constexpr uint8_t kBattUVR = 0x34;
inline constexpr uint8_t kBattReserved = 0x35;
inline constexpr uint8_t kChannelCV = 0x38;
inline constexpr uint8_t kChannelCC = 0x39;
inline constexpr uint8_t kChannelMode = 0x3A;
inline constexpr uint8_t kTiming = 0x3B;
inline constexpr uint8_t kTiming2 = 0x3C;
inline constexpr uint8_t kModelText = 0x70;
inline constexpr uint8_t kMemoryRead = 0x7E;
}  // namespace command

/// A checked 8-byte request.
struct Request {
  uint8_t address = 0;
  uint8_t code = 0;
  uint8_t index = 0;
  uint8_t byteArg = 0;
  uint16_t word = 0;

  bool IsWrite() const { return (index & wire::kWriteBit) != 0; }
  int Group() const { return index & wire::kGroupMask; }
  int Channel() const { return (index >> wire::kChannelShift) & wire::kChannelMask; }
  int Segment() const { return word >> wire::kSegmentShift; }
};

/// The three arguments of a short frame.
struct FrameArgs {
  uint8_t index = 0;
  uint8_t byteArg = 0;
  uint16_t word = 0;
};

using RawFrame = std::array<uint8_t, wire::kFrameSize>;

/// Decodes a frame whose CRC has been checked.
Request DecodeRequest(const RawFrame& frame);

/// 8 bytes with the CRC appended: a request (used by tests and the command line) or a short reply.
Bytes ShortFrame(uint8_t address, uint8_t code, const FrameArgs& args);

/// [address, code, n, data..., CRC]; `data` holds at most wire::kMaxLongData bytes.
Bytes LongFrame(uint8_t address, uint8_t code, const Bytes& data);

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
