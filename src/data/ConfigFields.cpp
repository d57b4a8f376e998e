#include "data/ConfigFields.h"

#include <fmt/format.h>

#include <array>

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

// What "New File" starts with (the pages' initial values) and what a simulated controller
// holds (a 12 V lead-acid battery, daylight switching at 5 V after 30 s, 1.5 A outputs).
constexpr uint32_t kStartOTP = 50;
constexpr uint32_t kStartBattOVP = 14400, kSampleBattOVP = 14400;
constexpr uint32_t kStartBattFCV = 13800, kSampleBattFCV = 13800;
constexpr uint32_t kStartBattUVP = 11200, kSampleBattUVP = 10800;
constexpr uint32_t kStartBattUVR = 12500, kSampleBattUVR = 12300;
constexpr uint32_t kStartSCV = 500;
constexpr uint32_t kStartSCDelay = 30 | block_bits::kSCDelayUnit;
constexpr uint32_t kNightWorkMode = 1;
constexpr uint32_t kSampleCC = 1500;  // mA
constexpr uint32_t kSampleFuncFlags = block_bits::kPWMDimming;

// In the order a write sends them (a request goes where its first row stands).
constexpr std::array kFields{
    ConfigField{.id = FieldId::ProductID,
                .name = "ProductID",
                .offset = L::kProductID,
                .width = 4,
                .maximum = 0xFFFFFFF0,
                .command = command::kIdentify},
    ConfigField{.id = FieldId::CapFlags,
                .name = "CapFlags",
                .offset = L::kCapFlags,
                .maximum = kByteMax,
                .command = command::kFuncFlags,
                .replySlot = F::ByteArg,
                .read = ScanRead::Identity},
    ConfigField{.id = FieldId::BattReserved,
                .name = "BattReserved",
                .offset = L::kBattReserved,
                .width = 2,
                .maximum = kWordMax,
                .command = command::kBattReserved,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .jsonOptional = true},
    ConfigField{.id = FieldId::OTP,
                .name = "OTP",
                .offset = L::kOTP,
                .unit = "°C",
                .minimum = kMinOTP,
                .maximum = kMaxOTP,
                .command = command::kTemperature,
                .writeSlot = F::ByteArg,
                .replySlot = F::ByteArg,
                .need = N::OverTempLimit,
                .sentWhenZero = false,
                .start = kStartOTP,
                .sample = kStartOTP},
    ConfigField{.id = FieldId::SCDelay,
                .name = "SCDelay",
                .offset = L::kSCDelay,
                .minimum = kMinDelay,
                .maximum = kMaxDelay,
                .command = command::kLightControl,
                .writeSlot = F::ByteArg,
                .replySlot = F::ByteArg,
                .need = N::LightControl,
                .flagBits = block_bits::kSCDelayUnit,
                .read = ScanRead::Held,
                .start = kStartSCDelay,
                .sample = kStartSCDelay},
    ConfigField{.id = FieldId::SCV,
                .name = "SCV",
                .offset = L::kSCV,
                .width = 2,
                .scale = kScaleCenti,
                .unit = "V",
                .maximum = kWordMax,
                .storeAbove = kAboveSCV,
                .command = command::kLightControl,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::LightControl,
                .sentWhenZero = false,
                .read = ScanRead::Held,
                .start = kStartSCV,
                .sample = kStartSCV},
    ConfigField{.id = FieldId::BattOVP,
                .name = "BattOVP",
                .offset = L::kBattOVP,
                .width = 2,
                .scale = kScaleMilli,
                .unit = "V",
                .maximum = kWordMax,
                .storeAbove = kAboveBattOVP,
                .command = command::kBattOVP,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::Battery,
                .sentWhenZero = false,
                .read = ScanRead::Held,
                .start = kStartBattOVP,
                .sample = kSampleBattOVP},
    ConfigField{.id = FieldId::BattFCV,
                .name = "BattFCV",
                .offset = L::kBattFCV,
                .width = 2,
                .scale = kScaleMilli,
                .unit = "V",
                .maximum = kWordMax,
                .storeAbove = kAboveBattVoltage,
                .command = command::kBattFCV,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::Battery,
                .sentWhenZero = false,
                .read = ScanRead::Held,
                .start = kStartBattFCV,
                .sample = kSampleBattFCV},
    ConfigField{.id = FieldId::BattUVP,
                .name = "BattUVP",
                .offset = L::kBattUVP,
                .width = 2,
                .scale = kScaleMilli,
                .unit = "V",
                .maximum = kWordMax,
                .storeAbove = kAboveBattVoltage,
                .command = command::kBattUVP,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::Battery,
                .sentWhenZero = false,
                .read = ScanRead::Held,
                .start = kStartBattUVP,
                .sample = kSampleBattUVP},
    ConfigField{.id = FieldId::BattUVR,
                .name = "BattUVR",
                .offset = L::kBattUVR,
                .width = 2,
                .scale = kScaleMilli,
                .unit = "V",
                .maximum = kWordMax,
                .storeAbove = kAboveBattVoltage,
                .command = command::kBattUVR,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::Battery,
                .sentWhenZero = false,
                .read = ScanRead::Held,
                .start = kStartBattUVR,
                .sample = kSampleBattUVR},
    ConfigField{.id = FieldId::CV,
                .name = "CV",
                .scope = S::Channel,
                .offset = L::kChCV,
                .width = 2,
                .scale = kScaleMilli,
                .unit = "V",
                .maximum = kWordMax,
                .command = command::kChannelCV,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::VoltageLimit,
                .read = ScanRead::Held},
    ConfigField{.id = FieldId::CC,
                .name = "CC",
                .scope = S::Channel,
                .offset = L::kChCC,
                .width = 2,
                .scale = kScaleMilli,
                .unit = "A",
                .maximum = kWordMax,
                .command = command::kChannelCC,
                .writeSlot = F::Word,
                .replySlot = F::Word,
                .need = N::RatedCurrentOrPWM,
                .read = ScanRead::Held,
                .sample = kSampleCC},
    ConfigField{.id = FieldId::Minutes,
                .name = "Minutes",
                .scope = S::Timing,
                .offset = kSegMinutes,
                .width = 2,
                .unit = "min",
                .maximum = kMaxMinutes,
                .command = command::kChannelTiming,
                .writeSlot = F::Minutes,
                .replySlot = F::Minutes,
                .need = N::Always,
                .read = ScanRead::Held},
    ConfigField{.id = FieldId::Power,
                .name = "Power",
                .scope = S::Timing,
                .offset = kSegPower,
                .unit = "%",
                .maximum = kMaxPower,
                .command = command::kChannelTiming,
                .writeSlot = F::ByteArg,
                .replySlot = F::ByteArg,
                .need = N::Always,
                .read = ScanRead::Held},
    ConfigField{.id = FieldId::Mode,
                .name = "Mode",
                .scope = S::Channel,
                .offset = L::kChMode,
                .maximum = kMaxWorkMode,
                .command = command::kChannelMode,
                .writeSlot = F::ByteArg,
                .replySlot = F::ByteArg,
                .need = N::Always,
                .flagBits = block_bits::kLoopMode,
                .read = ScanRead::Held,
                .start = kNightWorkMode,
                .sample = kNightWorkMode},
    ConfigField{.id = FieldId::Minutes2,
                .name = "Minutes",
                .scope = S::Timing2,
                .offset = kSegMinutes,
                .width = 2,
                .unit = "min",
                .maximum = kMaxMinutes,
                .command = command::kChannelTiming2,
                .writeSlot = F::Minutes,
                .replySlot = F::Minutes,
                .jsonOptional = true},
    ConfigField{.id = FieldId::Power2,
                .name = "Power",
                .scope = S::Timing2,
                .offset = kSegPower,
                .unit = "%",
                .maximum = kMaxPower,
                .command = command::kChannelTiming2,
                .writeSlot = F::ByteArg,
                .replySlot = F::ByteArg,
                .jsonOptional = true},
    // Bit 7 is not used: the request that writes the flags has no room for it.
    ConfigField{.id = FieldId::FuncFlags,
                .name = "FuncFlags",
                .offset = L::kFuncFlags,
                .maximum = kFlagsMask,
                .command = command::kFuncFlags,
                .writeSlot = F::Flags,
                .replySlot = F::Flags,
                .need = N::Always,
                .read = ScanRead::Identity,
                .sample = kSampleFuncFlags},
    ConfigField{.id = FieldId::Address,
                .name = "Address",
                .offset = L::kAddress,
                .maximum = kByteMax,
                .command = command::kFuncFlags,
                .writeSlot = F::ByteArg,
                .replySlot = F::Address,
                .need = N::Always,
                .read = ScanRead::Identity},
};

// Field(id) indexes the table by its id.
constexpr bool InIdOrder() {
  for (size_t i = 0; i < kFields.size(); ++i)
    if (static_cast<size_t>(kFields[i].id) != i) return false;
  return true;
}
static_assert(InIdOrder());

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

const ConfigField& Field(FieldId id) { return kFields[static_cast<size_t>(id)]; }

const ConfigField* FindField(FieldTable table, FieldId id) {
  for (const ConfigField& field : table)
    if (field.id == id) return &field;
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
