#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "base/ByteOrder.h"

namespace lum {

/// Layout of the 1760-byte configuration block (little-endian, all fields unsigned).
/// The configuration file stores the block byte for byte behind its 16-byte header.
namespace block_layout {
inline constexpr size_t kSize = 1760;
inline constexpr size_t kProductID = 0;      // 4 bytes
inline constexpr size_t kFuncFlags = 4;      // 1
inline constexpr size_t kAddress = 5;        // 1
inline constexpr size_t kOTP = 6;            // 1
inline constexpr size_t kCapFlags = 7;       // 1
inline constexpr size_t kBattOVP = 8;        // 2
inline constexpr size_t kBattFCV = 10;       // 2
inline constexpr size_t kBattUVP = 12;       // 2
inline constexpr size_t kBattUVR = 14;       // 2
inline constexpr size_t kBattReserved = 16;  // 2, then 6 reserved bytes
inline constexpr size_t kSCV = 24;           // 2
inline constexpr size_t kSCDelay = 26;       // 1, then 5 reserved bytes
inline constexpr size_t kChannels = 32;

inline constexpr int kGroups = 12;
inline constexpr int kChannelsPerGroup = 4;
inline constexpr size_t kChannelSize = 36;
inline constexpr size_t kGroupSize = kChannelSize * kChannelsPerGroup;  // 144

// Channel record, relative to its start.
inline constexpr size_t kChMode = 0;      // 1, then 1 reserved byte
inline constexpr size_t kChCC = 2;        // 2
inline constexpr size_t kChCV = 4;        // 2
inline constexpr size_t kChTiming = 6;    // 5 segments
inline constexpr size_t kChTiming2 = 21;  // 5 segments

inline constexpr int kSegments = 5;
inline constexpr size_t kSegmentSize = 3;  // Minutes (2), Power (1)

inline constexpr size_t ChannelOffset(int group, int channel) {
  return kChannels + kGroupSize * static_cast<size_t>(group) + kChannelSize * static_cast<size_t>(channel);
}
static_assert(ChannelOffset(kGroups - 1, kChannelsPerGroup - 1) + kChannelSize == kSize);
static_assert(ChannelOffset(0, 1) == 68 && ChannelOffset(0, 1) + kChTiming == 74);
static_assert(kChTiming + kSegments * kSegmentSize == kChTiming2 &&
              kChTiming2 + kSegments * kSegmentSize == kChannelSize);
}  // namespace block_layout

/// Bit masks of the bytes that carry more than one value.
namespace block_bits {
inline constexpr uint8_t kMiModeMask = 0x03;    // FuncFlags bits 0-1: 0 rain detection, 1 PIR
inline constexpr uint8_t kIRReceiver = 0x04;    // FuncFlags bit 2
inline constexpr uint8_t kTempComp = 0x08;      // FuncFlags bit 3
inline constexpr uint8_t kPWMDimming = 0x10;    // FuncFlags bit 4
inline constexpr uint8_t kEnergySaving = 0x20;  // FuncFlags bit 5
inline constexpr uint8_t kMiEnabled = 0x40;     // FuncFlags bit 6
inline constexpr uint8_t kSCDelayUnit = 0x80;   // SCDelay bit 7
inline constexpr uint8_t kSCDelayValue = 0x7F;  // SCDelay bits 0-6
inline constexpr uint8_t kLoopMode = 0x80;      // channel Mode bit 7
inline constexpr uint8_t kWorkModeMask = 0x7F;  // channel Mode bits 0-6
}  // namespace block_bits

/// One timing segment (3 bytes): Minutes then Power.
template <typename Byte>
class TimeSegmentView {
 public:
  explicit TimeSegmentView(Byte* p) : p_(p) {}
  uint16_t Minutes() const { return ReadU16Le(p_); }
  uint8_t Power() const { return p_[2]; }
  template <typename B = Byte, typename = std::enable_if_t<!std::is_const_v<B>>>
  void SetMinutes(uint16_t v) {
    WriteU16Le(p_, v);
  }
  template <typename B = Byte, typename = std::enable_if_t<!std::is_const_v<B>>>
  void SetPower(uint8_t v) {
    p_[2] = v;
  }

 private:
  Byte* p_;
};
using TTIME_SEGMENT = TimeSegmentView<uint8_t>;
using ConstTimeSegment = TimeSegmentView<const uint8_t>;

/// One channel record (36 bytes) inside a block.
template <typename Byte>
class ChannelView {
 public:
  explicit ChannelView(Byte* p) : p_(p) {}
  uint8_t Mode() const { return p_[block_layout::kChMode]; }
  uint16_t CC() const { return ReadU16Le(p_ + block_layout::kChCC); }
  uint16_t CV() const { return ReadU16Le(p_ + block_layout::kChCV); }
  TimeSegmentView<Byte> Timing(int k) const { return TimeSegmentView<Byte>(Segment(block_layout::kChTiming, k)); }
  TimeSegmentView<Byte> Timing2(int k) const { return TimeSegmentView<Byte>(Segment(block_layout::kChTiming2, k)); }

  template <typename B = Byte, typename = std::enable_if_t<!std::is_const_v<B>>>
  void SetMode(uint8_t v) {
    p_[block_layout::kChMode] = v;
  }
  template <typename B = Byte, typename = std::enable_if_t<!std::is_const_v<B>>>
  void SetCC(uint16_t v) {
    WriteU16Le(p_ + block_layout::kChCC, v);
  }
  template <typename B = Byte, typename = std::enable_if_t<!std::is_const_v<B>>>
  void SetCV(uint16_t v) {
    WriteU16Le(p_ + block_layout::kChCV, v);
  }

 private:
  Byte* Segment(size_t table, int k) const { return p_ + table + block_layout::kSegmentSize * static_cast<size_t>(k); }
  Byte* p_;
};
using TCHANNEL_CONFIG = ChannelView<uint8_t>;
using ConstChannel = ChannelView<const uint8_t>;

/// The configuration block: 1760 bytes with named accessors at fixed offsets.
/// Reserved bytes are never touched by the accessors and travel unchanged.
class TCONFIG_BLOCK {
 public:
  using Bytes = std::array<uint8_t, block_layout::kSize>;

  TCONFIG_BLOCK() { bytes_.fill(0); }

  Bytes& bytes() { return bytes_; }
  const Bytes& bytes() const { return bytes_; }
  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  void Clear() { bytes_.fill(0); }

  uint32_t ProductID() const { return ReadU32Le(at(block_layout::kProductID)); }
  uint8_t FuncFlags() const { return bytes_[block_layout::kFuncFlags]; }
  uint8_t Address() const { return bytes_[block_layout::kAddress]; }
  uint8_t OTP() const { return bytes_[block_layout::kOTP]; }
  uint8_t CapFlags() const { return bytes_[block_layout::kCapFlags]; }
  uint16_t BattOVP() const { return ReadU16Le(at(block_layout::kBattOVP)); }
  uint16_t BattFCV() const { return ReadU16Le(at(block_layout::kBattFCV)); }
  uint16_t BattUVP() const { return ReadU16Le(at(block_layout::kBattUVP)); }
  uint16_t BattUVR() const { return ReadU16Le(at(block_layout::kBattUVR)); }
  uint16_t BattReserved() const { return ReadU16Le(at(block_layout::kBattReserved)); }
  uint16_t SCV() const { return ReadU16Le(at(block_layout::kSCV)); }
  uint8_t SCDelay() const { return bytes_[block_layout::kSCDelay]; }

  void SetProductID(uint32_t v) { WriteU32Le(at(block_layout::kProductID), v); }
  void SetFuncFlags(uint8_t v) { bytes_[block_layout::kFuncFlags] = v; }
  void SetAddress(uint8_t v) { bytes_[block_layout::kAddress] = v; }
  void SetOTP(uint8_t v) { bytes_[block_layout::kOTP] = v; }
  void SetCapFlags(uint8_t v) { bytes_[block_layout::kCapFlags] = v; }
  void SetBattOVP(uint16_t v) { WriteU16Le(at(block_layout::kBattOVP), v); }
  void SetBattFCV(uint16_t v) { WriteU16Le(at(block_layout::kBattFCV), v); }
  void SetBattUVP(uint16_t v) { WriteU16Le(at(block_layout::kBattUVP), v); }
  void SetBattUVR(uint16_t v) { WriteU16Le(at(block_layout::kBattUVR), v); }
  void SetBattReserved(uint16_t v) { WriteU16Le(at(block_layout::kBattReserved), v); }
  void SetSCV(uint16_t v) { WriteU16Le(at(block_layout::kSCV), v); }
  void SetSCDelay(uint8_t v) { bytes_[block_layout::kSCDelay] = v; }

  /// Channel record of group g (0..11), channel c (0..3). Callers check ranges first
  /// (ChannelInRange); an index outside the table is a programming error.
  TCHANNEL_CONFIG Channel(int group, int channel) {
    return TCHANNEL_CONFIG(at(block_layout::ChannelOffset(group, channel)));
  }
  ConstChannel Channel(int group, int channel) const {
    return ConstChannel(at(block_layout::ChannelOffset(group, channel)));
  }

  static constexpr bool ChannelInRange(int group, int channel) {
    return group >= 0 && group < block_layout::kGroups && channel >= 0 && channel < block_layout::kChannelsPerGroup;
  }

  bool operator==(const TCONFIG_BLOCK& other) const { return bytes_ == other.bytes_; }

 private:
  uint8_t* at(size_t offset) { return bytes_.data() + offset; }
  const uint8_t* at(size_t offset) const { return bytes_.data() + offset; }
  Bytes bytes_;
};

}  // namespace lum
