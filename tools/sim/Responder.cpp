#include "sim/Responder.h"

#include <algorithm>
#include <array>
#include <vector>

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

// Which argument of a write an alteration changes.
enum class AlterTarget { Word, Minutes, ByteArg };

// The commands that carry no configuration field: identity and measurements. Their reply
// arguments are filled in after those of the fields a command carries (the temperature
// reply carries the OTP field and the measured temperature).
using FillFn = void (*)(const State&, FrameArgs&);
struct ValueCommand {
  uint8_t code;
  FillFn fill;
};

// A 32-bit value as the identity replies carry it: top byte, next byte, low word.
FrameArgs Split32(uint32_t v) {
  return {static_cast<uint8_t>(v >> kTopShift), static_cast<uint8_t>((v >> kSecondShift) & kByteMask),
          static_cast<uint16_t>(v & kWordMask)};
}

const std::array<ValueCommand, 10> kValueCommands = {{
    {command::kIdentify, [](const State& s, FrameArgs& a) { a = Split32(s.setup.config.ProductID()); }},
    {command::kFirmwareVersion,
     [](const State& s, FrameArgs& a) {
       a = FrameArgs{0, s.setup.firmwareVersion, s.setup.firmwareBuild};
     }},
    {command::kSerialNumber, [](const State& s, FrameArgs& a) { a = Split32(s.setup.serialNumber); }},
    {command::kPowerOnTime,
     [](const State& s, FrameArgs& a) {
       a = FrameArgs{0, s.now.powerOnSeconds, s.now.powerOnMinutes};
     }},
    {command::kBatchCode, [](const State& s, FrameArgs& a) { a = Split32(s.setup.batchCode); }},
    {command::kTemperature, [](const State& s, FrameArgs& a) { a.word = s.now.temperature; }},
    {command::kBatteryVoltage, [](const State& s, FrameArgs& a) { a.word = s.now.batteryMv; }},
    {command::kSolarVoltage, [](const State& s, FrameArgs& a) { a.word = s.now.solar10Mv; }},
    {command::kLoad1Voltage, [](const State& s, FrameArgs& a) { a.word = s.now.load1Mv; }},
    {command::kLoad1Current, [](const State& s, FrameArgs& a) { a.word = s.now.load1Ma; }},
}};

// The fields of the table that a command reads or writes.
std::vector<const ConfigField*> FieldsOf(FieldTable fields, uint8_t code) {
  std::vector<const ConfigField*> result;
  for (const ConfigField& field : fields)
    if (field.command == code && (field.writeSlot != FrameSlot::None || field.replySlot != FrameSlot::None))
      result.push_back(&field);
  return result;
}

FieldPlace PlaceOf(const Request& r) { return {r.Group(), r.Channel(), r.Segment()}; }

uint32_t FromRequest(const Request& r, FrameSlot slot) {
  switch (slot) {
    case FrameSlot::Word:
      return r.word;
    case FrameSlot::ByteArg:
      return r.byteArg;
    case FrameSlot::Flags:
      return r.index & frame::kFuncFlagsMask;
    case FrameSlot::Minutes:
      return r.Minutes();
    case FrameSlot::Address:
    case FrameSlot::None:
      break;
  }
  return 0;
}

// The reply's arguments for the fields held; the address slot is the frame's own address.
FrameArgs ReplyArgs(const TCONFIG_BLOCK& config, const std::vector<const ConfigField*>& fields, const Request& r) {
  FrameArgs args;
  for (const ConfigField* field : fields) {
    const uint32_t value = ReadValue(config, *field, PlaceOf(r));
    if (field->scope != FieldScope::Block) args.index = ChannelIndex(r.Channel(), r.Group());
    switch (field->replySlot) {
      case FrameSlot::Word:
        args.word = static_cast<uint16_t>(value);
        break;
      case FrameSlot::ByteArg:
        args.byteArg = static_cast<uint8_t>(value);
        break;
      case FrameSlot::Flags:
        args.index = static_cast<uint8_t>(args.index | (value & frame::kFuncFlagsMask));
        break;
      case FrameSlot::Minutes:
        args.word = SegmentWord(r.Segment(), static_cast<uint16_t>(value));
        break;
      case FrameSlot::Address:
      case FrameSlot::None:
        break;
    }
  }
  return args;
}

// An alteration changes the segment's minutes, else the word, else the byte argument.
AlterTarget AlterTargetOf(const std::vector<const ConfigField*>& fields) {
  const auto writes = [&](FrameSlot slot) {
    return std::any_of(fields.begin(), fields.end(), [&](const ConfigField* f) { return f->writeSlot == slot; });
  };
  if (writes(FrameSlot::Minutes)) return AlterTarget::Minutes;
  return writes(FrameSlot::Word) ? AlterTarget::Word : AlterTarget::ByteArg;
}

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

  const std::vector<const ConfigField*> held = FieldsOf(fields_, request.code);
  const auto valueCommand = std::find_if(kValueCommands.begin(), kValueCommands.end(),
                                         [&](const ValueCommand& c) { return c.code == request.code; });
  if (held.empty() && valueCommand == kValueCommands.end()) return std::nullopt;
  if (std::any_of(held.begin(), held.end(), [&](const ConfigField* f) { return !PlaceInRange(*f, PlaceOf(request)); }))
    return std::nullopt;
  const bool writable =
      std::any_of(held.begin(), held.end(), [](const ConfigField* f) { return f->writeSlot != FrameSlot::None; });
  if (request.IsWrite() && writable) {
    const auto alteration = setup_.alterations.find(request.code);
    const std::optional<Request> stored = alteration == setup_.alterations.end()
                                              ? request
                                              : ApplyAlteration(request, AlterTargetOf(held), alteration->second);
    if (stored)
      for (const ConfigField* field : held)
        if (field->writeSlot != FrameSlot::None)
          WriteValue(setup_.config, *field, PlaceOf(*stored), FromRequest(*stored, field->writeSlot));
  }
  FrameArgs args = ReplyArgs(setup_.config, held, request);
  if (valueCommand != kValueCommands.end()) valueCommand->fill(State{setup_, now}, args);
  const FrameBytes reply = EncodeFrame(setup_.config.Address(), replyCode, args.index, args.byteArg, args.word);
  return Bytes(reply.begin(), reply.end());
}

}  // namespace lum::sim
