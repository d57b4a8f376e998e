#include "cli/BlockText.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/SafeFormat.h"
#include "data/NightProfile.h"
#include "data/NumberFormats.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "language/FieldCaptions.h"
#include "language/MessageSlots.h"
#include "language/WindowCaptions.h"

namespace lum::cli {

namespace {

namespace bits = block_bits;

struct FlagName {
  uint8_t mask;
  const char* name;
  const char* component;  // the window's check box of the flag
};
constexpr FlagName kFuncFlagNames[] = {
    {bits::kIRReceiver, "IR receiver", "chkIRReceiver"}, {bits::kTempComp, "temperature compensation", "chkATC"},
    {bits::kPWMDimming, "PWM dimming", "chkPWMDIM"},     {bits::kEnergySaving, "energy saving", "chkEnergySaving"},
    {bits::kMiEnabled, "MI extension", "chkMI"},
};
constexpr const char* kMiModeNames[] = {"rain detection", "motion (PIR) lighting"};
constexpr const char* kMiModeComponents[] = {"rbRainDetect", "rbPIR"};

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text.empty() ? "none" : text;
}

std::string FuncFlagsText(uint8_t flags) {
  std::vector<std::string> names;
  for (const auto& flag : kFuncFlagNames)
    if (flags & flag.mask) names.emplace_back(flag.name);
  const unsigned mode = flags & bits::kMiModeMask;
  const std::string modeName = mode < std::size(kMiModeNames) ? kMiModeNames[mode] : "not used by the pages";
  return fmt::format("0x{:02X}: {}; MI mode {} ({})", flags, Join(names), mode, modeName);
}

std::string CapabilitiesText(const Capabilities& caps) {
  std::vector<std::string> names;
  const std::pair<bool, const char*> flags[] = {
      {caps.HasBattery, "battery"},
      {caps.HasLightControl, "light control"},
      {caps.HasRatedCurrent, "rated current"},
      {caps.HasVoltageLimit, "voltage limit"},
      {caps.HasTempComp, "temperature compensation"},
      {caps.HasOverTempLimit, "over-temperature limit"},
      {caps.HasPWMDimming, "PWM dimming"},
  };
  for (const auto& [present, name] : flags)
    if (present) names.emplace_back(name);
  return Join(names);
}

// The same night the load page draws, as text: the timeline from dusk, then the totals.
std::string NightProfileText(const NightProfile& profile) {
  std::string text = fmt::format("  Night from dusk ({} h to dawn):\n", FormatHoursMinutes(profile.nightMinutes));
  for (const ProfileSegment& piece : NightTimeline(profile)) {
    const std::string span =
        fmt::format("{}-{}", FormatHoursMinutes(piece.start), FormatHoursMinutes(piece.start + piece.minutes));
    if (piece.number == 0)
      text += fmt::format("    {} off\n", span);
    else
      text += fmt::format("    {} {}{}, {}\n", span, piece.morning ? "morning light, segment " : "segment ",
                          piece.number, piece.power > 0 ? fmt::format("power {} %", piece.power) : std::string("off"));
  }
  text += fmt::format("  Lit {} h per night, energy {} Ah (rated current {} A x power x hours)\n",
                      FormatHoursMinutes(profile.litMinutes), FormatAmpereHours(profile.ampereHours),
                      FormatScaled(profile.ratedCurrentMa, kScaleMilli));
  return text;
}

std::string ChannelText(const CliContext& context, const ConstChannel& channel, int number) {
  const int mode = channel.Mode() & bits::kWorkModeMask;
  const std::string modeName = context.WorkModeName(mode);
  std::string text =
      fmt::format("Channel {}: work mode {} ({}), loop {}, CC {} A, CV {} V\n", number, mode,
                  modeName.empty() ? "not in the list" : modeName, (channel.Mode() & bits::kLoopMode) ? "on" : "off",
                  FormatScaled(channel.CC(), kScaleMilli), FormatScaled(channel.CV(), kScaleMilli));
  for (int k = 0; k < block_layout::kSegments; ++k) {
    const ConstTimeSegment segment = channel.Timing(k);
    const bool morning = k == block_layout::kSegments - 1 && HasMorningSegment(channel.Mode());
    text += fmt::format("  Segment {}{}: {} min, power {} %\n", k + 1, morning ? " (morning light)" : "",
                        segment.Minutes(), segment.Power());
  }
  return text + NightProfileText(ComputeNightProfile(ScheduleOf(channel)));
}

// The line of a block field: the few that mean more than a number are put in words.
std::string FieldLine(const CliContext& context, const TCONFIG_BLOCK& block, const ConfigField& field, int row) {
  const uint32_t value = ReadValue(block, field);
  if (field.id == FieldId::ProductID)
    return fmt::format("Device type: {} (product code 0x{:08X})\n", row < 0 ? "unknown" : context.DeviceTypeName(row),
                       value);
  if (field.id == FieldId::FuncFlags) return fmt::format("FuncFlags: {}\n", FuncFlagsText(static_cast<uint8_t>(value)));
  if (field.id == FieldId::CapFlags)
    return fmt::format("CapFlags: 0x{:02X} ({})\nCapabilities: {}\n", value,
                       value == 0 ? "capabilities of the device type" : "capabilities from this byte",
                       CapabilitiesText(ResolveCapabilities(static_cast<uint8_t>(value), row)));
  if (field.id == FieldId::SCDelay)
    return fmt::format("SCDelay: {}, unit bit {}\n", value & bits::kSCDelayValue, (value & bits::kSCDelayUnit) ? 1 : 0);
  return fmt::format("{}: {}\n", field.name, FormatFieldValue(field, value));
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

// A line named by the window's caption of a component, in the language in use.
std::string Labelled(const CliContext& context, std::string_view component, const std::string& text) {
  return fmt::format("{}: {}\n", WithoutColon(context.Caption(component)), text);
}

// FuncFlags as the window's check boxes, the MI mode by its radio button.
std::string FuncFlagLines(const CliContext& context, uint8_t flags) {
  std::string text;
  for (const auto& flag : kFuncFlagNames) {
    std::string state = OnOff((flags & flag.mask) != 0);
    if (flag.mask == bits::kMiEnabled && (flags & flag.mask) != 0) {
      const unsigned mode = flags & bits::kMiModeMask;
      state += mode < std::size(kMiModeComponents) ? fmt::format(" ({})", context.Caption(kMiModeComponents[mode]))
                                                   : fmt::format(" (MI mode {})", mode);
    }
    text += Labelled(context, flag.component, state);
  }
  return text;
}

std::string DelayText(const CliContext& context, uint32_t value) {
  const bool seconds = (value & bits::kSCDelayUnit) != 0;
  return fmt::format("{} {}", value & bits::kSCDelayValue,
                     context.Messages().Text(seconds ? msg::kSecondsUnit : msg::kMinutesUnit));
}

std::string WorkModeText(const CliContext& context, uint8_t modeByte) {
  const int mode = modeByte & bits::kWorkModeMask;
  const std::string name = context.WorkModeName(mode);
  return name.empty() ? fmt::format("{}", mode) : name;
}

// The line of a block field under the window's label; fields the window does not show
// (reserved bytes) have none.
std::string LabelledFieldLine(const CliContext& context, const TCONFIG_BLOCK& block, const ConfigField& field,
                              int row) {
  const uint32_t value = ReadValue(block, field);
  if (field.id == FieldId::ProductID)
    return Labelled(
        context, ComponentOf(field.id),
        fmt::format("{} (product code 0x{:08X})", row < 0 ? "unknown" : context.DeviceTypeName(row), value));
  if (field.id == FieldId::FuncFlags) return FuncFlagLines(context, static_cast<uint8_t>(value));
  if (field.id == FieldId::CapFlags)
    return fmt::format("Capabilities: {} ({})\n",
                       CapabilitiesText(ResolveCapabilities(static_cast<uint8_t>(value), row)),
                       value == 0 ? "of the device type" : fmt::format("from the capability byte 0x{:02X}", value));
  const std::string_view component = ComponentOf(field.id);
  if (component.empty()) return {};
  if (field.id == FieldId::SCDelay) return Labelled(context, component, DelayText(context, value));
  return Labelled(context, component, FormatFieldValue(field, value));
}

std::string LabelledChannelText(const CliContext& context, FieldTable fields, const TCONFIG_BLOCK& block, int index) {
  const ConstChannel channel = block.Channel(kPageGroup, index);
  std::string text = FormatText(context.Messages().Text(msg::kChannelItem), {int64_t{index + 1}}) + ":\n";
  for (const ConfigField& field : fields) {
    const std::string_view component = ComponentOf(field.id);
    if (field.scope != FieldScope::Channel || component.empty()) continue;
    const uint32_t value = ReadValue(block, field, {kPageGroup, index});
    text += "  " + Labelled(context, component,
                            field.id == FieldId::Mode ? WorkModeText(context, static_cast<uint8_t>(value))
                                                      : FormatFieldValue(field, value));
  }
  text += "  " + Labelled(context, "chkLoopMode", OnOff((channel.Mode() & bits::kLoopMode) != 0));
  const std::string& minutes = context.Messages().Text(msg::kMinutesUnit);
  for (int k = 0; k < block_layout::kSegments; ++k) {
    const ConstTimeSegment segment = channel.Timing(k);
    const bool morning = k == block_layout::kSegments - 1 && HasMorningSegment(channel.Mode());
    const std::string& name = context.Messages().Text(morning ? msg::kMorningSegment : msg::kFirstSegment + k);
    text += fmt::format("  {}: {} {}, {} %\n", name, segment.Minutes(), minutes, segment.Power());
  }
  return text + NightProfileText(ComputeNightProfile(ScheduleOf(channel)));
}

}  // namespace

std::string BlockText(const CliContext& context, const std::string& path, const TCONFIG_BLOCK& block, FieldTable fields,
                      FieldNames names) {
  const bool raw = names == FieldNames::Raw;
  const int row = LookupProductID(block.ProductID());
  std::vector<const ConfigField*> blockFields;
  for (const ConfigField& field : fields)
    if (field.scope == FieldScope::Block) blockFields.push_back(&field);
  std::stable_sort(blockFields.begin(), blockFields.end(), [](auto* a, auto* b) { return a->offset < b->offset; });

  std::string text = fmt::format("File: {}\n", path);
  for (const ConfigField* field : blockFields)
    text += raw ? FieldLine(context, block, *field, row) : LabelledFieldLine(context, block, *field, row);
  if (row < 0) return text + "Channels: none shown (unknown device type)\n";
  const int channels = ChannelsOfRow(row);
  for (int c = 0; c < channels; ++c)
    text += raw ? ChannelText(context, block.Channel(kPageGroup, c), c + 1)
                : LabelledChannelText(context, fields, block, c);
  return text;
}

}  // namespace lum::cli
