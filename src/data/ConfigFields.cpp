#include "data/ConfigFields.h"

#include <fmt/format.h>

#include <array>
#include <cstring>

#include "base/ByteOrder.h"
#include "data/CommandCodes.h"
#include "data/NumberFormats.h"

namespace lum {

namespace {

namespace L = block_layout;
using S = FieldScope;
using F = FrameSlot;
using N = WriteNeed;

constexpr uint32_t kByteMax = 0xFF;
constexpr uint32_t kWordMax = 0xFFFF;
constexpr uint32_t kFlagsMask = 0x7F;
constexpr uint32_t kMinutesMask = 0x0FFF;
constexpr uint16_t kSegMinutes = 0;  // in a timing segment
constexpr uint16_t kSegPower = 2;

// Ranges of the fields: a value outside them is never written.
constexpr uint32_t kMinOTP = 40, kMaxOTP = 80;
constexpr uint32_t kMinDelay = 10, kMaxDelay = 60;
constexpr uint32_t kMaxWorkMode = 2;
constexpr uint32_t kMaxMinutes = 1000;
constexpr uint32_t kMaxPower = 100;
// The pages keep the old value when a typed one is at or below these (half-typed or wrong).
constexpr uint16_t kAboveSCV = 100;       // 1.00 V in tens of mV
constexpr uint16_t kAboveBattOVP = 3000;  // mV
constexpr uint16_t kAboveBattVoltage = 2000;

// name, scope, offset, width, scale, unit, min, max, storeAbove, label, command, write, reply, need,
// sent when zero, optional in JSON
constexpr std::array kFields{
    ConfigField{"ProductID", S::Block, L::kProductID, 4, 1, "", 0, 0xFFFFFFF0, 0, "grpDeviceTypes", command::kIdentify,
                F::None, F::None, N::Never, true, false},
    ConfigField{"CapFlags", S::Block, L::kCapFlags, 1, 1, "", 0, kByteMax, 0, "", command::kFuncFlags, F::None,
                F::ByteArg, N::Never, true, false},
    ConfigField{"BattReserved", S::Block, L::kBattReserved, 2, 1, "", 0, kWordMax, 0, "", command::kBattReserved,
                F::Word, F::Word, N::Never, true, true},
    ConfigField{"OTP", S::Block, L::kOTP, 1, 1, "°C", kMinOTP, kMaxOTP, 0, "lblOTP", command::kTemperature, F::ByteArg,
                F::ByteArg, N::OverTempLimit, false, false},
    ConfigField{"SCDelay", S::Block, L::kSCDelay, 1, 1, "", kMinDelay, kMaxDelay, 0, "lblSCDelay",
                command::kLightControl, F::ByteArg, F::ByteArg, N::LightControl, true, false, block_bits::kSCDelayUnit},
    ConfigField{"SCV", S::Block, L::kSCV, 2, kScaleCenti, "V", 0, kWordMax, kAboveSCV, "lblSCV", command::kLightControl,
                F::Word, F::Word, N::LightControl, false, false},
    ConfigField{"BattOVP", S::Block, L::kBattOVP, 2, kScaleMilli, "V", 0, kWordMax, kAboveBattOVP, "lblBattOVP",
                command::kBattOVP, F::Word, F::Word, N::Battery, false, false},
    ConfigField{"BattFCV", S::Block, L::kBattFCV, 2, kScaleMilli, "V", 0, kWordMax, kAboveBattVoltage, "lblBattFCV",
                command::kBattFCV, F::Word, F::Word, N::Battery, false, false},
    ConfigField{"BattUVP", S::Block, L::kBattUVP, 2, kScaleMilli, "V", 0, kWordMax, kAboveBattVoltage, "lblBattUVP",
                command::kBattUVP, F::Word, F::Word, N::Battery, false, false},
    ConfigField{"BattUVR", S::Block, L::kBattUVR, 2, kScaleMilli, "V", 0, kWordMax, kAboveBattVoltage, "lblBattUVR",
                command::kBattUVR, F::Word, F::Word, N::Battery, false, false},
    ConfigField{"CV", S::Channel, L::kChCV, 2, kScaleMilli, "V", 0, kWordMax, 0, "lblLimitedV", command::kChannelCV,
                F::Word, F::Word, N::VoltageLimit, true, false},
    ConfigField{"CC", S::Channel, L::kChCC, 2, kScaleMilli, "A", 0, kWordMax, 0, "lblCC", command::kChannelCC, F::Word,
                F::Word, N::RatedCurrentOrPWM, true, false},
    ConfigField{"Minutes", S::Timing, kSegMinutes, 2, 1, "min", 0, kMaxMinutes, 0, "", command::kChannelTiming,
                F::Minutes, F::Minutes, N::Always, true, false},
    ConfigField{"Power", S::Timing, kSegPower, 1, 1, "%", 0, kMaxPower, 0, "", command::kChannelTiming, F::ByteArg,
                F::ByteArg, N::Always, true, false},
    ConfigField{"Mode", S::Channel, L::kChMode, 1, 1, "", 0, kMaxWorkMode, 0, "grpChMode", command::kChannelMode,
                F::ByteArg, F::ByteArg, N::Always, true, false, block_bits::kLoopMode},
    ConfigField{"Minutes", S::Timing2, kSegMinutes, 2, 1, "min", 0, kMaxMinutes, 0, "", command::kChannelTiming2,
                F::Minutes, F::Minutes, N::Never, true, true},
    ConfigField{"Power", S::Timing2, kSegPower, 1, 1, "%", 0, kMaxPower, 0, "", command::kChannelTiming2, F::ByteArg,
                F::ByteArg, N::Never, true, true},
    // Bit 7 is not used: the request that writes the flags has no room for it.
    ConfigField{"FuncFlags", S::Block, L::kFuncFlags, 1, 1, "", 0, kFlagsMask, 0, "", command::kFuncFlags, F::Flags,
                F::Flags, N::Always, true, false},
    ConfigField{"Address", S::Block, L::kAddress, 1, 1, "", 0, kByteMax, 0, "lblAddress", command::kFuncFlags,
                F::ByteArg, F::Address, N::Always, true, false},
};

size_t ByteOffset(const ConfigField& field, const FieldPlace& place) {
  const size_t segment = L::kSegmentSize * static_cast<size_t>(place.segment);
  switch (field.scope) {
    case S::Block:
      return field.offset;
    case S::Channel:
      return L::ChannelOffset(place.group, place.channel) + field.offset;
    case S::Timing:
      return L::ChannelOffset(place.group, place.channel) + L::kChTiming + segment + field.offset;
    case S::Timing2:
      return L::ChannelOffset(place.group, place.channel) + L::kChTiming2 + segment + field.offset;
  }
  return 0;
}

}  // namespace

FieldTable ConfigFields() { return kFields; }

const ConfigField* FindField(FieldTable table, const char* name) {
  for (const ConfigField& field : table)
    if (std::strcmp(field.name, name) == 0) return &field;
  return nullptr;
}

bool PlaceInRange(const ConfigField& field, const FieldPlace& place) {
  if (field.scope == S::Block) return true;
  if (!TCONFIG_BLOCK::ChannelInRange(place.group, place.channel)) return false;
  return field.scope == S::Channel || (place.segment >= 0 && place.segment < L::kSegments);
}

uint32_t ReadValue(const TCONFIG_BLOCK& block, const ConfigField& field, const FieldPlace& place) {
  const uint8_t* p = block.data() + ByteOffset(field, place);
  switch (field.width) {
    case 1:
      return *p;
    case 2:
      return ReadU16Le(p);
    default:
      return ReadU32Le(p);
  }
}

void WriteValue(TCONFIG_BLOCK& block, const ConfigField& field, const FieldPlace& place, uint32_t value) {
  uint8_t* p = block.data() + ByteOffset(field, place);
  switch (field.width) {
    case 1:
      *p = static_cast<uint8_t>(value);
      break;
    case 2:
      WriteU16Le(p, static_cast<uint16_t>(value));
      break;
    default:
      WriteU32Le(p, value);
      break;
  }
}

uint32_t SlotMask(FrameSlot slot) {
  switch (slot) {
    case F::Word:
      return kWordMax;
    case F::ByteArg:
    case F::Address:
      return kByteMax;
    case F::Flags:
      return kFlagsMask;
    case F::Minutes:
      return kMinutesMask;
    case F::None:
      break;
  }
  return 0;
}

bool CanHold(const Capabilities& caps, const ConfigField& field) {
  switch (field.need) {
    case N::Never:
      return false;
    case N::Always:
      return true;
    case N::Battery:
      return caps.HasBattery;
    case N::LightControl:
      return caps.HasLightControl;
    case N::VoltageLimit:
      return caps.HasVoltageLimit;
    case N::RatedCurrentOrPWM:
      return caps.HasRatedCurrent || caps.HasPWMDimming;
    case N::OverTempLimit:
      return caps.HasOverTempLimit;
  }
  return false;
}

bool InRange(const ConfigField& field, uint32_t value) {
  const uint32_t plain = value & ~field.flagBits;
  return plain >= field.minimum && plain <= field.maximum;
}

std::string FormatFieldNumber(const ConfigField& field, uint32_t value) {
  return field.scale > 1 ? FormatScaled(static_cast<uint16_t>(value), field.scale) : fmt::format("{}", value);
}

std::string FormatFieldValue(const ConfigField& field, uint32_t value) {
  const std::string number = FormatFieldNumber(field, value);
  return *field.unit ? number + " " + field.unit : number;
}

}  // namespace lum
