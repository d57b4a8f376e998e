#include "sim/Responder.h"

#include <algorithm>
#include <array>

namespace lum::sim {

namespace {
constexpr int kTopShift = 24;
constexpr int kSecondShift = 16;
constexpr uint32_t kByteMask = 0xFF;
constexpr uint32_t kWordMask = 0xFFFF;
constexpr uint8_t kUnreadMemory = 0xFF;
constexpr uint8_t kMinMemoryCount = 1;
constexpr uint8_t kMaxMemoryCount = 8;

struct State {
  const ControllerSetup& setup;
  const Measurements& now;
};

// The three arguments of a short reply.
struct FrameArgs {
  uint8_t index = 0;
  uint8_t byteArg = 0;
  uint16_t word = 0;
};

// Where a command's value lives: the device, a channel record, or a segment of a channel.
enum class Scope { Device, Channel, Segment };
// Which argument of a write an alteration changes (nothing for commands that only read).
enum class AlterTarget { Word, Minutes, ByteArg };

using ReadFn = FrameArgs (*)(const State&, const Request&);
using WriteFn = void (*)(TCONFIG_BLOCK&, const Request&);

struct ShortCommand {
  uint8_t code;
  Scope scope;
  ReadFn read;
  WriteFn write;  // null for commands that only read
  AlterTarget alter;
};

// A 32-bit value as the identity replies carry it: top byte, next byte, low word.
FrameArgs Split32(uint32_t v) {
  return {static_cast<uint8_t>(v >> kTopShift), static_cast<uint8_t>((v >> kSecondShift) & kByteMask),
          static_cast<uint16_t>(v & kWordMask)};
}
FrameArgs Word(uint16_t w) { return {0, 0, w}; }

uint8_t ReplyIndex(const Request& r) { return ChannelIndex(r.Channel(), r.Group()); }
ConstChannel ChannelOf(const ControllerSetup& setup, const Request& r) {
  return setup.config.Channel(r.Group(), r.Channel());
}
TCHANNEL_CONFIG ChannelOf(TCONFIG_BLOCK& block, const Request& r) { return block.Channel(r.Group(), r.Channel()); }

const std::array<ShortCommand, 22> kShortCommands = {{
    {command::kIdentify, Scope::Device,
     [](const State& s, const Request&) { return Split32(s.setup.config.ProductID()); }, nullptr, AlterTarget::Word},
    {command::kFirmwareVersion, Scope::Device,
     [](const State& s, const Request&) {
       return FrameArgs{0, s.setup.firmwareVersion, s.setup.firmwareBuild};
     },
     nullptr, AlterTarget::Word},
    {command::kSerialNumber, Scope::Device,
     [](const State& s, const Request&) { return Split32(s.setup.serialNumber); }, nullptr, AlterTarget::Word},
    {command::kPowerOnTime, Scope::Device,
     [](const State& s, const Request&) {
       return FrameArgs{0, s.now.powerOnSeconds, s.now.powerOnMinutes};
     },
     nullptr, AlterTarget::Word},
    {command::kBatchCode, Scope::Device, [](const State& s, const Request&) { return Split32(s.setup.batchCode); },
     nullptr, AlterTarget::Word},
    {command::kFuncFlags, Scope::Device,
     [](const State& s, const Request&) {
       return FrameArgs{static_cast<uint8_t>(s.setup.config.FuncFlags() & frame::kFuncFlagsMask),
                        s.setup.config.CapFlags(), 0};
     },
     [](TCONFIG_BLOCK& b, const Request& r) {
       b.SetFuncFlags(r.index & frame::kFuncFlagsMask);
       b.SetAddress(r.byteArg);
     },
     AlterTarget::ByteArg},
    {command::kTemperature, Scope::Device,
     [](const State& s, const Request&) {
       return FrameArgs{0, s.setup.config.OTP(), s.now.temperature};
     },
     [](TCONFIG_BLOCK& b, const Request& r) { b.SetOTP(r.byteArg); }, AlterTarget::ByteArg},
    {command::kBatteryVoltage, Scope::Device, [](const State& s, const Request&) { return Word(s.now.batteryMv); },
     nullptr, AlterTarget::Word},
    {command::kSolarVoltage, Scope::Device, [](const State& s, const Request&) { return Word(s.now.solar10Mv); },
     nullptr, AlterTarget::Word},
    {command::kLoad1Voltage, Scope::Device, [](const State& s, const Request&) { return Word(s.now.load1Mv); }, nullptr,
     AlterTarget::Word},
    {command::kLoad1Current, Scope::Device, [](const State& s, const Request&) { return Word(s.now.load1Ma); }, nullptr,
     AlterTarget::Word},
    {command::kLightControl, Scope::Device,
     [](const State& s, const Request&) {
       return FrameArgs{0, s.setup.config.SCDelay(), s.setup.config.SCV()};
     },
     [](TCONFIG_BLOCK& b, const Request& r) {
       b.SetSCDelay(r.byteArg);
       b.SetSCV(r.word);
     },
     AlterTarget::Word},
    {command::kBattOVP, Scope::Device, [](const State& s, const Request&) { return Word(s.setup.config.BattOVP()); },
     [](TCONFIG_BLOCK& b, const Request& r) { b.SetBattOVP(r.word); }, AlterTarget::Word},
    {command::kBattFCV, Scope::Device, [](const State& s, const Request&) { return Word(s.setup.config.BattFCV()); },
     [](TCONFIG_BLOCK& b, const Request& r) { b.SetBattFCV(r.word); }, AlterTarget::Word},
    {command::kBattUVP, Scope::Device, [](const State& s, const Request&) { return Word(s.setup.config.BattUVP()); },
     [](TCONFIG_BLOCK& b, const Request& r) { b.SetBattUVP(r.word); }, AlterTarget::Word},
    {command::kBattUVR, Scope::Device, [](const State& s, const Request&) { return Word(s.setup.config.BattUVR()); },
     [](TCONFIG_BLOCK& b, const Request& r) { b.SetBattUVR(r.word); }, AlterTarget::Word},
    {command::kBattReserved, Scope::Device,
     [](const State& s, const Request&) { return Word(s.setup.config.BattReserved()); },
     [](TCONFIG_BLOCK& b, const Request& r) { b.SetBattReserved(r.word); }, AlterTarget::Word},
    {command::kChannelCV, Scope::Channel,
     [](const State& s, const Request& r) {
       return FrameArgs{ReplyIndex(r), 0, ChannelOf(s.setup, r).CV()};
     },
     [](TCONFIG_BLOCK& b, const Request& r) { ChannelOf(b, r).SetCV(r.word); }, AlterTarget::Word},
    {command::kChannelCC, Scope::Channel,
     [](const State& s, const Request& r) {
       return FrameArgs{ReplyIndex(r), 0, ChannelOf(s.setup, r).CC()};
     },
     [](TCONFIG_BLOCK& b, const Request& r) { ChannelOf(b, r).SetCC(r.word); }, AlterTarget::Word},
    {command::kChannelMode, Scope::Channel,
     [](const State& s, const Request& r) {
       return FrameArgs{ReplyIndex(r), ChannelOf(s.setup, r).Mode(), 0};
     },
     [](TCONFIG_BLOCK& b, const Request& r) { ChannelOf(b, r).SetMode(r.byteArg); }, AlterTarget::ByteArg},
    {command::kChannelTiming, Scope::Segment,
     [](const State& s, const Request& r) {
       const ConstTimeSegment seg = ChannelOf(s.setup, r).Timing(r.Segment());
       return FrameArgs{ReplyIndex(r), seg.Power(), SegmentWord(r.Segment(), seg.Minutes())};
     },
     [](TCONFIG_BLOCK& b, const Request& r) {
       TTIME_SEGMENT seg = ChannelOf(b, r).Timing(r.Segment());
       seg.SetMinutes(r.Minutes());
       seg.SetPower(r.byteArg);
     },
     AlterTarget::Minutes},
    {command::kChannelTiming2, Scope::Segment,
     [](const State& s, const Request& r) {
       const ConstTimeSegment seg = ChannelOf(s.setup, r).Timing2(r.Segment());
       return FrameArgs{ReplyIndex(r), seg.Power(), SegmentWord(r.Segment(), seg.Minutes())};
     },
     [](TCONFIG_BLOCK& b, const Request& r) {
       TTIME_SEGMENT seg = ChannelOf(b, r).Timing2(r.Segment());
       seg.SetMinutes(r.Minutes());
       seg.SetPower(r.byteArg);
     },
     AlterTarget::Minutes},
}};

using LongFn = std::optional<Bytes> (*)(const ControllerSetup&, const Request&);
struct LongCommand {
  uint8_t code;
  LongFn data;
};

const std::array<LongCommand, 2> kLongCommands = {{
    {command::kModelText,
     [](const ControllerSetup& setup, const Request&) -> std::optional<Bytes> {
       return Bytes(setup.model.begin(), setup.model.end());
     }},
    {command::kMemoryRead,
     [](const ControllerSetup& setup, const Request& r) -> std::optional<Bytes> {
       if (r.byteArg < kMinMemoryCount || r.byteArg > kMaxMemoryCount) return std::nullopt;
       Bytes data;
       for (uint32_t i = 0; i < r.byteArg; ++i) {
         const uint32_t address = r.word + i;
         const bool inside = address >= setup.memoryBase && address - setup.memoryBase < setup.memory.size();
         data.push_back(inside ? setup.memory[address - setup.memoryBase] : kUnreadMemory);
       }
       return data;
     }},
}};

bool InTable(Scope scope, const Request& r) {
  if (scope == Scope::Device) return true;
  if (!TCONFIG_BLOCK::ChannelInRange(r.Group(), r.Channel())) return false;
  return scope == Scope::Channel || r.Segment() < block_layout::kSegments;
}

uint16_t Altered(uint16_t value, const Alteration& how) {
  return how.kind == AlterKind::Xor ? static_cast<uint16_t>(value ^ how.mask) : static_cast<uint16_t>(value + 1);
}

// The request as the controller stores it; nullopt when the controller refuses the value.
std::optional<Request> ApplyAlteration(Request r, AlterTarget target, const Alteration& how) {
  if (how.kind == AlterKind::Keep) return std::nullopt;
  switch (target) {
    case AlterTarget::Word:
      r.word = Altered(r.word, how);
      break;
    case AlterTarget::Minutes:
      r.word = SegmentWord(r.Segment(), Altered(r.Minutes(), how));
      break;
    case AlterTarget::ByteArg:
      r.byteArg = static_cast<uint8_t>(Altered(r.byteArg, how));
      break;
  }
  return r;
}
}  // namespace

std::optional<Bytes> Responder::Answer(const Request& request, const Measurements& now) {
  if (setup_.silent) return std::nullopt;
  if (request.code == command::kIdentify && request.byteArg < setup_.answerFromTry) return std::nullopt;
  if (setup_.answerLimit != 0 && answered_ >= setup_.answerLimit) return std::nullopt;
  ++answered_;
  const uint8_t replyCode = ReplyCode(request.code);

  const auto longCommand = std::find_if(kLongCommands.begin(), kLongCommands.end(),
                                        [&](const LongCommand& c) { return c.code == request.code; });
  if (longCommand != kLongCommands.end()) {
    const std::optional<Bytes> data = longCommand->data(setup_, request);
    if (!data) return std::nullopt;
    return EncodeLongFrame(setup_.config.Address(), replyCode, *data);
  }

  const auto command = std::find_if(kShortCommands.begin(), kShortCommands.end(),
                                    [&](const ShortCommand& c) { return c.code == request.code; });
  if (command == kShortCommands.end() || !InTable(command->scope, request)) return std::nullopt;
  if (request.IsWrite() && command->write) {
    const auto alteration = setup_.alterations.find(request.code);
    const std::optional<Request> stored =
        alteration == setup_.alterations.end() ? request : ApplyAlteration(request, command->alter, alteration->second);
    if (stored) command->write(setup_.config, *stored);
  }
  const FrameArgs args = command->read(State{setup_, now}, request);
  const FrameBytes reply = EncodeFrame(setup_.config.Address(), replyCode, args.index, args.byteArg, args.word);
  return Bytes(reply.begin(), reply.end());
}

}  // namespace lum::sim
