#include "data/PageRules.h"

#include "data/NumberFormats.h"
#include "data/TypeTables.h"

namespace lum {

namespace {

constexpr uint8_t kRainDetect = 0;  // MI modes
constexpr uint8_t kPIR = 1;

void SetBit(uint8_t& flags, uint8_t mask, bool on) { flags = static_cast<uint8_t>(on ? flags | mask : flags & ~mask); }

bool Has(uint8_t flags, uint8_t mask) { return (flags & mask) != 0; }

}  // namespace

PageFlags UnpackFuncFlags(uint8_t flags) {
  namespace bits = block_bits;
  const unsigned mode = flags & bits::kMiModeMask;
  return {Has(flags, bits::kMiEnabled),  mode == kRainDetect,           mode == kPIR,
          Has(flags, bits::kIRReceiver), Has(flags, bits::kPWMDimming), Has(flags, bits::kEnergySaving),
          Has(flags, bits::kTempComp)};
}

uint8_t PackFuncFlags(uint8_t old, const PageFlags& flags) {
  namespace bits = block_bits;
  uint8_t packed = old;
  SetBit(packed, bits::kMiEnabled, flags.mi);
  const auto setMode = [&](uint8_t mode) { packed = static_cast<uint8_t>((packed & ~bits::kMiModeMask) | mode); };
  if (flags.mi && flags.rainDetect) setMode(kRainDetect);
  if (flags.mi && flags.pir) setMode(kPIR);
  SetBit(packed, bits::kIRReceiver, flags.irReceiver);
  SetBit(packed, bits::kPWMDimming, flags.pwmDimming);
  SetBit(packed, bits::kEnergySaving, flags.energySaving);
  SetBit(packed, bits::kTempComp, flags.tempComp);
  return packed;
}

uint8_t PackSCDelay(int delay, bool unitFlag) {
  auto packed = static_cast<uint8_t>(delay);
  SetBit(packed, block_bits::kSCDelayUnit, unitFlag);
  return packed;
}

uint8_t PackMode(int workMode, bool loop) {
  auto mode = static_cast<uint8_t>(workMode);
  if (loop) mode |= block_bits::kLoopMode;
  return mode;
}

int MatchingBatteryType(const TCONFIG_BLOCK& block) {
  int row = 0;
  for (int r = 1; r < kBatteryTypeCount; ++r) {
    const TBATTERY_TYPES& type = BatteryTypes()[static_cast<size_t>(r)];
    if (type.OVP == block.BattOVP() && type.FCV == block.BattFCV() && type.UVP == block.BattUVP() &&
        type.UVR == block.BattUVR())
      row = r;
  }
  return row;
}

TypedText StoreTypedText(TCONFIG_BLOCK& block, const ConfigField& field, const FieldPlace& place,
                         const std::string& text, std::string_view separator) {
  // The text shown for the stored value stands for that exact value: two decimals may not
  // hold it (65535 mV shows as 65.53), and an untouched field must not change.
  if (text == FormatFieldNumber(field, ReadValue(block, field, place))) return TypedText::Taken;
  const std::optional<uint16_t> value = ParseTypedScaled(text, field.scale, separator);
  if (!value) return TypedText::NotANumber;
  if (field.storeAbove > 0 && *value <= field.storeAbove) return TypedText::AtThreshold;
  WriteValue(block, field, place, *value);
  return TypedText::Taken;
}

}  // namespace lum
