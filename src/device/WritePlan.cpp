#include "device/WritePlan.h"

#include <fmt/format.h>

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

int ChannelCount(int row) { return row < 0 ? 0 : DeviceTypes()[static_cast<size_t>(row)].Channels; }

void PlanChannel(const TCONFIG_BLOCK& block, const Capabilities& caps, int c, std::vector<WriteRequest>& plan) {
  const ConstChannel channel = block.Channel(kGroup, c);
  const uint8_t index = ChannelIndex(c, kGroup, true);
  if (CanHold(caps, FieldId::CV))
    plan.push_back(Request(command::kChannelCV, index, 0, channel.CV(), {{{FieldId::CV, c}, channel.CV()}}));
  if (CanHold(caps, FieldId::CC))
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
  const int channels = ChannelCount(row);
  std::vector<WriteRequest> plan;

  if (CanHold(caps, FieldId::OTP) && block.OTP() > 0)
    plan.push_back(Request(command::kTemperature, frame::kWriteFlag, block.OTP(), 0, {{{FieldId::OTP}, block.OTP()}}));
  if (CanHold(caps, FieldId::SCV) && block.SCV() > 0)
    plan.push_back(Request(command::kLightControl, frame::kWriteFlag, block.SCDelay(), block.SCV(),
                           {{{FieldId::SCDelay}, block.SCDelay()}, {{FieldId::SCV}, block.SCV()}}));
  if (CanHold(caps, FieldId::BattOVP))
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

bool CanHold(const Capabilities& caps, FieldId id) {
  switch (id) {
    case FieldId::OTP:
      return caps.HasOverTempLimit;
    case FieldId::SCDelay:
    case FieldId::SCV:
      return caps.HasLightControl;
    case FieldId::BattOVP:
    case FieldId::BattFCV:
    case FieldId::BattUVP:
    case FieldId::BattUVR:
      return caps.HasBattery;
    case FieldId::CV:
      return caps.HasVoltageLimit;
    case FieldId::CC:
      return caps.HasRatedCurrent || caps.HasPWMDimming;
    case FieldId::Mode:
    case FieldId::Minutes:
    case FieldId::Power:
    case FieldId::FuncFlags:
    case FieldId::Address:
      return true;
  }
  return false;
}

std::vector<FieldRef> HeldFields(const Capabilities& caps, int channels) {
  std::vector<FieldRef> fields;
  const auto add = [&](FieldRef field) {
    if (CanHold(caps, field.id)) fields.push_back(field);
  };
  for (FieldId id : {FieldId::OTP, FieldId::SCDelay, FieldId::SCV, FieldId::BattOVP, FieldId::BattFCV, FieldId::BattUVP,
                     FieldId::BattUVR})
    add({id});
  for (int c = 0; c < channels; ++c) {
    add({FieldId::CV, c});
    add({FieldId::CC, c});
    for (int k = 0; k < block_layout::kSegments; ++k) {
      add({FieldId::Minutes, c, k});
      add({FieldId::Power, c, k});
    }
    add({FieldId::Mode, c});
  }
  add({FieldId::FuncFlags});
  add({FieldId::Address});
  return fields;
}

std::string FieldName(const FieldRef& f) {
  const std::string channel = fmt::format("channel {} ", f.channel + 1);
  const std::string segment = fmt::format("{}segment {} ", channel, f.segment + 1);
  switch (f.id) {
    case FieldId::OTP:
      return "OTP";
    case FieldId::SCDelay:
      return "SCDelay";
    case FieldId::SCV:
      return "SCV";
    case FieldId::BattOVP:
      return "BattOVP";
    case FieldId::BattFCV:
      return "BattFCV";
    case FieldId::BattUVP:
      return "BattUVP";
    case FieldId::BattUVR:
      return "BattUVR";
    case FieldId::CV:
      return channel + "CV";
    case FieldId::CC:
      return channel + "CC";
    case FieldId::Mode:
      return channel + "Mode";
    case FieldId::Minutes:
      return segment + "minutes";
    case FieldId::Power:
      return segment + "power";
    case FieldId::FuncFlags:
      return "FuncFlags";
    case FieldId::Address:
      return "Address";
  }
  return {};
}

std::vector<FieldRef> UnwritableSegments(const TCONFIG_BLOCK& block) {
  std::vector<FieldRef> segments;
  const int channels = ChannelCount(LookupProductID(block.ProductID()));
  for (int c = 0; c < channels; ++c)
    for (int k = 0; k < block_layout::kSegments; ++k)
      if (block.Channel(kGroup, c).Timing(k).Minutes() > frame::kMinutesMask)
        segments.push_back({FieldId::Minutes, c, k});
  return segments;
}

std::vector<FieldMismatch> FieldsNotHeld(const TCONFIG_BLOCK& entry, const TCONFIG_BLOCK& echo,
                                         const std::vector<WriteRequest>& plan, const std::vector<bool>& answered,
                                         const TCONFIG_BLOCK* lastRead) {
  std::vector<FieldMismatch> mismatches;
  std::vector<FieldRef> sent;
  for (size_t i = 0; i < plan.size(); ++i)
    for (const SentField& field : plan[i].fields) {
      sent.push_back(field.field);
      const bool echoed = i < answered.size() && answered[i];
      const uint16_t wanted = ReadField(entry, field.field);
      if (!echoed)
        mismatches.push_back({field.field, true, wanted, std::nullopt});
      else if (ReadField(echo, field.field) != wanted)
        mismatches.push_back({field.field, true, wanted, ReadField(echo, field.field)});
    }

  const int row = LookupProductID(echo.ProductID());
  for (const FieldRef& field : HeldFields(ResolveCapabilities(echo.CapFlags(), row), ChannelCount(row))) {
    if (std::find(sent.begin(), sent.end(), field) != sent.end()) continue;
    const uint16_t wanted = ReadField(entry, field);
    const std::optional<uint16_t> held = lastRead ? std::optional<uint16_t>(ReadField(*lastRead, field)) : std::nullopt;
    if (held != wanted) mismatches.push_back({field, false, wanted, held});
  }
  return mismatches;
}

}  // namespace lum
