#include "link/ReplyDispatcher.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "base/ByteOrder.h"
#include "data/TypeTables.h"
#include "link/Frame.h"

namespace lum {

namespace {

// Fields of the window that replies fill, by objectName.
namespace field {
constexpr const char* kTimer = "txtTimer";
constexpr const char* kRealTimer = "lbledtRealTimer";
constexpr const char* kTemp = "lbledtTemp";
constexpr const char* kBattV = "lbledtBattV";
constexpr const char* kRealBattV = "lbledtRealBattV";
constexpr const char* kSolarV = "lbledtSolarV";
constexpr const char* kRealSolarV = "lbledtRealSolarV";
constexpr const char* kLoad1V = "lbledtLoad1V";
constexpr const char* kLoad1A = "lbledtLoad1A";
constexpr const char* kRealLoad1A = "lbledtRealLoad1A";
constexpr const char* kDCInV = "lbledtDCInV";
constexpr const char* kTempRef = "seTempRef";
constexpr const char* kBattVRef = "seBattVRef";
constexpr const char* kSolarVRef = "seSolarVRef";
constexpr const char* kLoad1VRef = "seLoad1VRef";
constexpr const char* kLoad1ARef0 = "seLoad1ARef0";
constexpr const char* kLoad1ARef = "seLoad1ARef";
constexpr const char* kDCInVRef = "seDCInVRef";
}  // namespace field

constexpr unsigned kMinutesPerHour = 60;
constexpr unsigned kMilli = 1000;
constexpr unsigned kCenti = 100;
constexpr unsigned kMilliPerCenti = kMilli / kCenti;

struct Reply {
  std::span<const uint8_t> bytes;
  uint8_t address() const { return bytes[frame::kAddress]; }
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

// "%d.%.3d" of (value div 1000, value mod 1000).
std::string Milli3(uint16_t value) { return fmt::format("{}.{:03d}", value / kMilli, value % kMilli); }
// "%d.%.2d" of (value div 100, value mod 100).
std::string Centi2(uint16_t value) { return fmt::format("{}.{:02d}", value / kCenti, value % kCenti); }
// value / 1000 shown as "0.00": two decimals, rounded half up like the decimal value.
std::string MilliRounded2(uint16_t value) {
  return Centi2(static_cast<uint16_t>((value + kMilliPerCenti / 2) / kMilliPerCenti));
}

void SetBoth(LinkObserver& observer, const char* first, const char* second, const std::string& text) {
  observer.SetFieldText(first, text);
  observer.SetFieldText(second, text);
}

std::optional<TCHANNEL_CONFIG> ChannelOf(const Reply& r, Context& c) {
  if (!TCONFIG_BLOCK::ChannelInRange(r.group(), r.channel())) return std::nullopt;
  return c.block.Channel(r.group(), r.channel());
}

void SetTiming(const Reply& r, Context& c, bool second) {
  const auto channel = ChannelOf(r, c);
  if (!channel || r.segment() >= block_layout::kSegments) return;
  TTIME_SEGMENT segment = second ? channel->Timing2(r.segment()) : channel->Timing(r.segment());
  segment.SetMinutes(r.minutes());
  segment.SetPower(r.b3());
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

// The reply table; a code not listed here (memory reads included) is consumed unseen.
const std::array kRoutes{
    Route{ReplyCode(command::kIdentify), false,
          [](const Reply& r, Context& c) {
            c.block.SetProductID(r.Identity24() & kProductCodeMask);
            c.effect.identified = true;
          }},
    Route{ReplyCode(command::kFirmwareVersion), false,
          [](const Reply& r, Context& c) {
            if (!c.entry) return;
            c.entry->FirmwareVersion = r.b3();
            c.entry->FirmwareBuild = r.W();
          }},
    Route{ReplyCode(command::kSerialNumber), false,
          [](const Reply& r, Context& c) {
            if (c.entry) c.entry->SerialNumber = r.Identity32();
          }},
    Route{ReplyCode(command::kPowerOnTime), false,
          [](const Reply& r, Context& c) {
            SetBoth(c.observer, field::kTimer, field::kRealTimer,
                    fmt::format("{}:{:02d}:{:02d}", r.W() / kMinutesPerHour, r.W() % kMinutesPerHour, r.b3()));
          }},
    Route{ReplyCode(command::kBatchCode), false,
          [](const Reply& r, Context& c) {
            if (c.entry) c.entry->BatchCode = r.Identity32();
          }},
    Route{ReplyCode(command::kFuncFlags), false,
          [](const Reply& r, Context& c) {
            c.block.SetFuncFlags(r.b2() & frame::kFuncFlagsMask);
            c.block.SetAddress(r.address());
            c.block.SetCapFlags(r.b3());
            c.observer.SetStatusFlags(fmt::format("{:02X},{:02X}", c.block.FuncFlags(), c.block.CapFlags()));
          }},
    Route{ReplyCode(command::kStatusImage), false, [](const Reply&, Context& c) { c.observer.ClearStatusImage(); }},
    Route{ReplyCode(command::kTemperature), false,
          [](const Reply& r, Context& c) {
            c.block.SetOTP(r.b3());
            c.observer.SetFieldText(field::kTemp, fmt::format("{}", r.W()));
          }},
    Route{ReplyCode(command::kBatteryVoltage), false,
          [](const Reply& r, Context& c) {
            c.observer.SetFieldText(field::kBattV, Milli3(r.W()) + " V");
            c.observer.SetFieldText(field::kRealBattV, MilliRounded2(r.W()) + " V");
          }},
    Route{ReplyCode(command::kSolarVoltage), false,
          [](const Reply& r, Context& c) {
            SetBoth(c.observer, field::kSolarV, field::kRealSolarV, Centi2(r.W()) + " V");
          }},
    Route{ReplyCode(command::kLoad1Voltage), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldText(field::kLoad1V, Milli3(r.W()) + " V"); }},
    Route{ReplyCode(command::kLoad1Current), false,
          [](const Reply& r, Context& c) {
            c.observer.SetFieldText(field::kLoad1A, Milli3(r.W()) + " A");
            c.observer.SetFieldText(field::kRealLoad1A, MilliRounded2(r.W()) + " A");
          }},
    Route{ReplyCode(command::kDCInVoltage), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldText(field::kDCInV, Milli3(r.W()) + " V"); }},
    Route{ReplyCode(command::kTempRef), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldValue(field::kTempRef, r.W()); }},
    Route{ReplyCode(command::kBattVRef), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldValue(field::kBattVRef, r.W()); }},
    Route{ReplyCode(command::kSolarVRef), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldValue(field::kSolarVRef, r.W()); }},
    Route{ReplyCode(command::kLoad1VRef), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldValue(field::kLoad1VRef, r.W()); }},
    Route{ReplyCode(command::kLoad1ARef), false,
          [](const Reply& r, Context& c) {
            c.observer.SetFieldValue(field::kLoad1ARef0, static_cast<int8_t>(r.b3()));
            c.observer.SetFieldValue(field::kLoad1ARef, r.W());
          }},
    Route{ReplyCode(command::kDCInVRef), false,
          [](const Reply& r, Context& c) { c.observer.SetFieldValue(field::kDCInVRef, r.W()); }},
    Route{ReplyCode(command::kLightControl), false,
          [](const Reply& r, Context& c) {
            c.block.SetSCDelay(r.b3());
            c.block.SetSCV(r.W());
          }},
    Route{ReplyCode(command::kBattOVP), false, [](const Reply& r, Context& c) { c.block.SetBattOVP(r.W()); }},
    Route{ReplyCode(command::kBattFCV), false, [](const Reply& r, Context& c) { c.block.SetBattFCV(r.W()); }},
    Route{ReplyCode(command::kBattUVP), false, [](const Reply& r, Context& c) { c.block.SetBattUVP(r.W()); }},
    Route{ReplyCode(command::kBattUVR), false, [](const Reply& r, Context& c) { c.block.SetBattUVR(r.W()); }},
    Route{ReplyCode(command::kBattReserved), false, [](const Reply& r, Context& c) { c.block.SetBattReserved(r.W()); }},
    Route{ReplyCode(command::kChannelCV), false,
          [](const Reply& r, Context& c) {
            if (auto channel = ChannelOf(r, c)) channel->SetCV(r.W());
          }},
    Route{ReplyCode(command::kChannelCC), false,
          [](const Reply& r, Context& c) {
            if (auto channel = ChannelOf(r, c)) channel->SetCC(r.W());
          }},
    Route{ReplyCode(command::kChannelMode), false,
          [](const Reply& r, Context& c) {
            if (auto channel = ChannelOf(r, c)) channel->SetMode(r.b3());
          }},
    Route{ReplyCode(command::kChannelTiming), false, [](const Reply& r, Context& c) { SetTiming(r, c, false); }},
    Route{ReplyCode(command::kChannelTiming2), false, [](const Reply& r, Context& c) { SetTiming(r, c, true); }},
    Route{ReplyCode(command::kModelText), true, SetModel},
};

}  // namespace

ReplyEffect DispatchReply(std::span<const uint8_t> reply, TCONFIG_BLOCK& block, TDEVICE_CONFIG* entry,
                          LinkObserver& observer) {
  if (reply.size() <= frame::kLongLength) return {};
  const auto route = std::find_if(kRoutes.begin(), kRoutes.end(),
                                  [&](const Route& candidate) { return candidate.code == reply[frame::kCode]; });
  if (route == kRoutes.end()) return {};
  // A short reply's fields exist only in a full 8-byte frame.
  if (!route->isLong && reply.size() != frame::kSize) return {};
  Context context{block, entry, observer, {}};
  route->handle(Reply{reply}, context);
  return context.effect;
}

}  // namespace lum
