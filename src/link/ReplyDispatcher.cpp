#include "link/ReplyDispatcher.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/ByteOrder.h"
#include "data/TypeTables.h"
#include "link/Frame.h"

namespace lum {

namespace {

constexpr int64_t kSecondsPerMinute = 60;

struct Reply {
  std::span<const uint8_t> bytes;
  uint8_t address() const { return bytes[frame::kAddress]; }
  uint8_t code() const { return bytes[frame::kCode]; }
  uint8_t b2() const { return bytes[frame::kIndex]; }
  uint8_t b3() const { return bytes[frame::kByteArg]; }
  uint16_t W() const { return ReadU16Be(&bytes[frame::kWord]); }
  int group() const { return b2() & frame::kGroupMask; }
  int channel() const { return (b2() >> frame::kChannelShift) & frame::kChannelMask; }
  int segment() const { return W() >> frame::kSegmentShift; }
  uint16_t minutes() const { return static_cast<uint16_t>(W() & frame::kMinutesMask); }
  // b2, b3 and W packed as the identity fields store them.
  uint32_t Identity32() const { return (static_cast<uint32_t>(b2()) << 24) | Identity24(); }
  uint32_t Identity24() const { return (static_cast<uint32_t>(b3()) << 16) | W(); }
};

struct Context {
  TCONFIG_BLOCK& block;
  TDEVICE_CONFIG* entry;
  LinkObserver& observer;
  ReplyEffect effect;
};

void Report(Context& c, ValueId id, int64_t raw) { c.observer.ValueReceived(MakeMeasurement(id, raw)); }

// A reply whose only content is a word value.
template <ValueId id>
void ReportWord(const Reply& r, Context& c) {
  Report(c, id, r.W());
}

uint32_t SlotValue(const Reply& r, FrameSlot slot) {
  switch (slot) {
    case FrameSlot::Word:
      return r.W();
    case FrameSlot::ByteArg:
      return r.b3();
    case FrameSlot::Flags:
      return r.b2() & frame::kFuncFlagsMask;
    case FrameSlot::Address:
      return r.address();
    case FrameSlot::Minutes:
      return r.minutes();
    case FrameSlot::None:
      break;
  }
  return 0;
}

// Writes the configuration fields a short reply carries into the block; a channel or
// segment outside the block's tables discards them all.
void DecodeFields(const Reply& r, Context& c, FieldTable table) {
  if ((r.code() & frame::kReplyFlag) == 0) return;
  const auto command = static_cast<uint8_t>(r.code() & ~frame::kReplyFlag);
  const FieldPlace place{r.group(), r.channel(), r.segment()};
  for (const ConfigField& field : table) {
    if (field.command != command || field.replySlot == FrameSlot::None) continue;
    if (!PlaceInRange(field, place)) return;
    WriteValue(c.block, field, place, SlotValue(r, field.replySlot));
  }
}

void SetModel(const Reply& r, Context& c) {
  const size_t n = r.bytes[frame::kLongLength];
  if (!c.entry || r.bytes.size() != n + frame::kLongOverhead) return;
  const auto data = r.bytes.subspan(frame::kLongData, n);
  const auto end = std::find(data.begin(), data.end(), uint8_t{0});
  c.entry->Model.assign(data.begin(), end);
}

using Handler = void (*)(const Reply&, Context&);
struct Route {
  uint8_t code;
  bool isLong;
  Handler handle;
};

// What replies carry beside configuration fields; a code neither here nor in the field
// table (memory reads included) is consumed unseen.
const std::array kRoutes{
    Route{ReplyCode(command::kIdentify), false,
          [](const Reply& r, Context& c) {
            c.block.SetProductID(r.Identity24() & kProductCodeMask);
            c.effect.identified = true;
            Report(c, ValueId::ProductID, c.block.ProductID());
          }},
    Route{ReplyCode(command::kFirmwareVersion), false,
          [](const Reply& r, Context& c) {
            if (c.entry) {
              c.entry->FirmwareVersion = r.b3();
              c.entry->FirmwareBuild = r.W();
            }
            Report(c, ValueId::FirmwareVersion, r.b3());
            Report(c, ValueId::FirmwareBuild, r.W());
          }},
    Route{ReplyCode(command::kSerialNumber), false,
          [](const Reply& r, Context& c) {
            if (c.entry) c.entry->SerialNumber = r.Identity32();
            Report(c, ValueId::SerialNumber, r.Identity32());
          }},
    Route{ReplyCode(command::kPowerOnTime), false,
          [](const Reply& r, Context& c) {
            // W counts minutes, b3 seconds.
            Report(c, ValueId::PowerOnTime, int64_t{r.W()} * kSecondsPerMinute + r.b3());
          }},
    Route{ReplyCode(command::kBatchCode), false,
          [](const Reply& r, Context& c) {
            if (c.entry) c.entry->BatchCode = r.Identity32();
            Report(c, ValueId::BatchCode, r.Identity32());
          }},
    Route{ReplyCode(command::kFuncFlags), false,
          [](const Reply&, Context& c) {
            // The block's bytes, as the field table decoded them from this reply.
            Report(c, ValueId::FunctionFlags, c.block.FuncFlags());
            Report(c, ValueId::CapabilityFlags, c.block.CapFlags());
          }},
    Route{ReplyCode(command::kStatusImage), false, [](const Reply&, Context& c) { c.observer.RunningStateCleared(); }},
    Route{ReplyCode(command::kTemperature), false, ReportWord<ValueId::Temperature>},
    Route{ReplyCode(command::kBatteryVoltage), false, ReportWord<ValueId::BatteryVoltage>},
    Route{ReplyCode(command::kSolarVoltage), false, ReportWord<ValueId::SolarVoltage>},
    Route{ReplyCode(command::kLoad1Voltage), false, ReportWord<ValueId::Load1Voltage>},
    Route{ReplyCode(command::kLoad1Current), false, ReportWord<ValueId::Load1Current>},
    Route{ReplyCode(command::kDCInVoltage), false, ReportWord<ValueId::DCInVoltage>},
    Route{ReplyCode(command::kTempRef), false, ReportWord<ValueId::TempRef>},
    Route{ReplyCode(command::kBattVRef), false, ReportWord<ValueId::BattVRef>},
    Route{ReplyCode(command::kSolarVRef), false, ReportWord<ValueId::SolarVRef>},
    Route{ReplyCode(command::kLoad1VRef), false, ReportWord<ValueId::Load1VRef>},
    Route{ReplyCode(command::kLoad1ARef), false,
          [](const Reply& r, Context& c) {
            Report(c, ValueId::Load1ARefOffset, static_cast<int8_t>(r.b3()));
            Report(c, ValueId::Load1ARef, r.W());
          }},
    Route{ReplyCode(command::kDCInVRef), false, ReportWord<ValueId::DCInVRef>},
    Route{ReplyCode(command::kModelText), true, SetModel},
};

}  // namespace

ReplyEffect DispatchReply(std::span<const uint8_t> reply, TCONFIG_BLOCK& block, TDEVICE_CONFIG* entry,
                          LinkObserver& observer, FieldTable fields) {
  if (reply.size() <= frame::kLongLength) return {};
  Context context{block, entry, observer, {}};
  const Reply r{reply};
  // A short reply's fields exist only in a full 8-byte frame.
  const bool shortFrame = reply.size() == frame::kSize;
  if (shortFrame) DecodeFields(r, context, fields);
  const auto route =
      std::find_if(kRoutes.begin(), kRoutes.end(), [&](const Route& candidate) { return candidate.code == r.code(); });
  if (route != kRoutes.end() && (route->isLong || shortFrame)) route->handle(r, context);
  return context.effect;
}

}  // namespace lum
