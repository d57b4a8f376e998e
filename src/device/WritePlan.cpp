#include "device/WritePlan.h"

#include <algorithm>

#include "data/TypeTables.h"
#include "link/Frame.h"

namespace lum {

namespace {

constexpr int kGroup = 0;              // only group 0 of the channel table travels
constexpr uint16_t kMarkBit = 0x0001;  // flipping it never leaves a 12- or 7-bit field

uint8_t Byte(uint16_t value) { return static_cast<uint8_t>(value); }

struct BatteryWrite {
  uint8_t command;
  FieldId field;
  uint16_t (TCONFIG_BLOCK::*get)() const;
};
constexpr BatteryWrite kBatteryWrites[] = {
    {command::kBattOVP, FieldId::BattOVP, &TCONFIG_BLOCK::BattOVP},
    {command::kBattFCV, FieldId::BattFCV, &TCONFIG_BLOCK::BattFCV},
    {command::kBattUVP, FieldId::BattUVP, &TCONFIG_BLOCK::BattUVP},
    {command::kBattUVR, FieldId::BattUVR, &TCONFIG_BLOCK::BattUVR},
};

WriteRequest Request(uint8_t command, uint8_t index, uint8_t byteArg, uint16_t word, std::vector<SentField> fields) {
  return WriteRequest{command, index, byteArg, word, std::move(fields)};
}

void PlanChannel(const TCONFIG_BLOCK& block, const Capabilities& caps, int c, std::vector<WriteRequest>& plan) {
  const ConstChannel channel = block.Channel(kGroup, c);
  const uint8_t index = ChannelIndex(c, kGroup, true);
  if (caps.HasVoltageLimit)
    plan.push_back(Request(command::kChannelCV, index, 0, channel.CV(), {{{FieldId::CV, c}, channel.CV()}}));
  if (caps.HasRatedCurrent || caps.HasPWMDimming)
    plan.push_back(Request(command::kChannelCC, index, 0, channel.CC(), {{{FieldId::CC, c}, channel.CC()}}));
  for (int k = 0; k < block_layout::kSegments; ++k) {
    const ConstTimeSegment segment = channel.Timing(k);
    const uint16_t word = SegmentWord(k, segment.Minutes());
    plan.push_back(Request(command::kChannelTiming, index, segment.Power(), word,
                           {{{FieldId::Minutes, c, k}, static_cast<uint16_t>(word & frame::kMinutesMask)},
                            {{FieldId::Power, c, k}, segment.Power()}}));
  }
  plan.push_back(Request(command::kChannelMode, index, channel.Mode(), 0, {{{FieldId::Mode, c}, channel.Mode()}}));
}

}  // namespace

uint16_t ReadField(const TCONFIG_BLOCK& block, const FieldRef& f) {
  switch (f.id) {
    case FieldId::OTP:
      return block.OTP();
    case FieldId::SCDelay:
      return block.SCDelay();
    case FieldId::SCV:
      return block.SCV();
    case FieldId::BattOVP:
      return block.BattOVP();
    case FieldId::BattFCV:
      return block.BattFCV();
    case FieldId::BattUVP:
      return block.BattUVP();
    case FieldId::BattUVR:
      return block.BattUVR();
    case FieldId::CV:
      return block.Channel(kGroup, f.channel).CV();
    case FieldId::CC:
      return block.Channel(kGroup, f.channel).CC();
    case FieldId::Mode:
      return block.Channel(kGroup, f.channel).Mode();
    case FieldId::Minutes:
      return block.Channel(kGroup, f.channel).Timing(f.segment).Minutes() & frame::kMinutesMask;
    case FieldId::Power:
      return block.Channel(kGroup, f.channel).Timing(f.segment).Power();
    case FieldId::FuncFlags:
      return block.FuncFlags() & frame::kFuncFlagsMask;
    case FieldId::Address:
      return block.Address();
  }
  return 0;
}

void WriteField(TCONFIG_BLOCK& block, const FieldRef& f, uint16_t value) {
  switch (f.id) {
    case FieldId::OTP:
      block.SetOTP(Byte(value));
      break;
    case FieldId::SCDelay:
      block.SetSCDelay(Byte(value));
      break;
    case FieldId::SCV:
      block.SetSCV(value);
      break;
    case FieldId::BattOVP:
      block.SetBattOVP(value);
      break;
    case FieldId::BattFCV:
      block.SetBattFCV(value);
      break;
    case FieldId::BattUVP:
      block.SetBattUVP(value);
      break;
    case FieldId::BattUVR:
      block.SetBattUVR(value);
      break;
    case FieldId::CV:
      block.Channel(kGroup, f.channel).SetCV(value);
      break;
    case FieldId::CC:
      block.Channel(kGroup, f.channel).SetCC(value);
      break;
    case FieldId::Mode:
      block.Channel(kGroup, f.channel).SetMode(Byte(value));
      break;
    case FieldId::Minutes:
      block.Channel(kGroup, f.channel).Timing(f.segment).SetMinutes(value);
      break;
    case FieldId::Power:
      block.Channel(kGroup, f.channel).Timing(f.segment).SetPower(Byte(value));
      break;
    case FieldId::FuncFlags:
      block.SetFuncFlags(Byte(value));
      break;
    case FieldId::Address:
      block.SetAddress(Byte(value));
      break;
  }
}

std::vector<WriteRequest> PlanWrite(const TCONFIG_BLOCK& block) {
  const int row = LookupProductID(block.ProductID());
  const Capabilities caps = ResolveCapabilities(block.CapFlags(), row);
  const int channels = row < 0 ? 0 : DeviceTypes()[static_cast<size_t>(row)].Channels;
  std::vector<WriteRequest> plan;

  if (caps.HasOverTempLimit && block.OTP() > 0)
    plan.push_back(Request(command::kTemperature, frame::kWriteFlag, block.OTP(), 0, {{{FieldId::OTP}, block.OTP()}}));
  if (caps.HasLightControl && block.SCV() > 0)
    plan.push_back(Request(command::kLightControl, frame::kWriteFlag, block.SCDelay(), block.SCV(),
                           {{{FieldId::SCDelay}, block.SCDelay()}, {{FieldId::SCV}, block.SCV()}}));
  if (caps.HasBattery)
    for (const BatteryWrite& write : kBatteryWrites) {
      const uint16_t value = (block.*write.get)();
      if (value > 0) plan.push_back(Request(write.command, frame::kWriteFlag, 0, value, {{{write.field}, value}}));
    }
  for (int c = 0; c < channels; ++c) PlanChannel(block, caps, c, plan);
  const auto funcFlags = static_cast<uint8_t>(block.FuncFlags() | frame::kWriteFlag);
  plan.push_back(
      Request(command::kFuncFlags, funcFlags, block.Address(), 0,
              {{{FieldId::FuncFlags}, ReadField(block, {FieldId::FuncFlags})}, {{FieldId::Address}, block.Address()}}));
  return plan;
}

void MarkUnechoed(TCONFIG_BLOCK& echo, const std::vector<WriteRequest>& plan) {
  for (const WriteRequest& request : plan)
    for (const SentField& sent : request.fields) WriteField(echo, sent.field, sent.value ^ kMarkBit);
}

bool EchoMatches(const TCONFIG_BLOCK& echo, const std::vector<WriteRequest>& plan) {
  return std::all_of(plan.begin(), plan.end(), [&](const WriteRequest& request) {
    return std::all_of(request.fields.begin(), request.fields.end(),
                       [&](const SentField& sent) { return ReadField(echo, sent.field) == sent.value; });
  });
}

}  // namespace lum
