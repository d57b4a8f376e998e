// lumctl show: every field of a configuration file, for people or as JSON.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "data/ConfigJson.h"
#include "data/ConfigFile.h"
#include "data/NightProfile.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"

namespace lum::cli {

namespace {

namespace bits = block_bits;

struct FlagName {
  uint8_t mask;
  const char* name;
};
constexpr FlagName kFuncFlagNames[] = {
    {bits::kIRReceiver, "IR receiver"}, {bits::kTempComp, "temperature compensation"},
    {bits::kPWMDimming, "PWM dimming"}, {bits::kEnergySaving, "energy saving"},
    {bits::kMiEnabled, "MI extension"},
};
constexpr const char* kMiModeNames[] = {"rain detection", "motion (PIR) lighting"};
constexpr int kShownChannelGroup = 0;

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
void PrintNightProfile(const NightProfile& profile) {
  fmt::print("  Night from dusk ({} h to dawn):\n", FormatHoursMinutes(profile.nightMinutes));
  for (const ProfileSegment& piece : NightTimeline(profile)) {
    const std::string span =
        fmt::format("{}-{}", FormatHoursMinutes(piece.start), FormatHoursMinutes(piece.start + piece.minutes));
    if (piece.number == 0)
      fmt::print("    {} off\n", span);
    else
      fmt::print("    {} {}{}, {}\n", span, piece.morning ? "morning light, segment " : "segment ", piece.number,
                 piece.power > 0 ? fmt::format("power {} %", piece.power) : std::string("off"));
  }
  fmt::print("  Lit {} h per night, energy {} Ah (rated current {} A x power x hours)\n",
             FormatHoursMinutes(profile.litMinutes), FormatAmpereHours(profile.ampereHours),
             FormatScaled(profile.ratedCurrentMa, kScaleMilli));
}

void PrintChannel(const CliContext& context, const ConstChannel& channel, int number) {
  const int mode = channel.Mode() & bits::kWorkModeMask;
  const std::string modeName = context.WorkModeName(mode);
  fmt::print("Channel {}: work mode {} ({}), loop {}, CC {} A, CV {} V\n", number, mode,
             modeName.empty() ? "not in the list" : modeName, (channel.Mode() & bits::kLoopMode) ? "on" : "off",
             FormatScaled(channel.CC(), kScaleMilli), FormatScaled(channel.CV(), kScaleMilli));
  for (int k = 0; k < block_layout::kSegments; ++k) {
    const ConstTimeSegment segment = channel.Timing(k);
    const bool morning = k == block_layout::kSegments - 1 && HasMorningSegment(channel.Mode());
    fmt::print("  Segment {}{}: {} min, power {} %\n", k + 1, morning ? " (morning light)" : "", segment.Minutes(),
               segment.Power());
  }
  PrintNightProfile(ComputeNightProfile(ScheduleOf(channel)));
}

void PrintForPeople(const CliContext& context, const std::string& path, const TCONFIG_BLOCK& block) {
  const int row = LookupProductID(block.ProductID());
  fmt::print("File: {}\n", path);
  fmt::print("Device type: {} (product code 0x{:08X})\n", row < 0 ? "unknown" : context.DeviceTypeName(row),
             block.ProductID());
  fmt::print("FuncFlags: {}\n", FuncFlagsText(block.FuncFlags()));
  fmt::print("Address: {}\n", block.Address());
  fmt::print("OTP: {} °C\n", block.OTP());
  fmt::print("CapFlags: 0x{:02X} ({})\n", block.CapFlags(),
             block.CapFlags() == 0 ? "capabilities of the device type" : "capabilities from this byte");
  fmt::print("Capabilities: {}\n", CapabilitiesText(ResolveCapabilities(block.CapFlags(), row)));
  fmt::print("BattOVP: {} V\n", FormatScaled(block.BattOVP(), kScaleMilli));
  fmt::print("BattFCV: {} V\n", FormatScaled(block.BattFCV(), kScaleMilli));
  fmt::print("BattUVP: {} V\n", FormatScaled(block.BattUVP(), kScaleMilli));
  fmt::print("BattUVR: {} V\n", FormatScaled(block.BattUVR(), kScaleMilli));
  fmt::print("BattReserved: {}\n", block.BattReserved());
  fmt::print("SCV: {} V\n", FormatScaled(block.SCV(), kScaleCenti));
  fmt::print("SCDelay: {}, unit bit {}\n", block.SCDelay() & bits::kSCDelayValue,
             (block.SCDelay() & bits::kSCDelayUnit) ? 1 : 0);
  if (row < 0) {
    fmt::print("Channels: none shown (unknown device type)\n");
    return;
  }
  const int channels = DeviceTypes()[static_cast<size_t>(row)].Channels;
  for (int c = 0; c < channels; ++c) PrintChannel(context, block.Channel(kShownChannelGroup, c), c + 1);
}

void Show(const std::string& path, bool asJson) {
  ConfigFileResult result;
  try {
    result = OpenConfigFile(path);
  } catch (const std::runtime_error& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (result.status != ConfigFileStatus::Ok) {
    std::cerr << OpenFailureLine(result.status, path) << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
  if (asJson) {
    std::cout << BlockToJson(result.block).dump(2) << '\n';
    return;
  }
  PrintForPeople(CliContext(), path, result.block);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("show", "Print every field of a configuration file (.LUM)");
  auto path = std::make_shared<std::string>();
  auto asJson = std::make_shared<bool>(false);
  command->add_option("file", *path, "Configuration file")->required();
  command->add_flag("--json", *asJson, "Print JSON with every byte of the block (input of pack)");
  command->callback([path, asJson] { Show(*path, *asJson); });
});

}  // namespace

}  // namespace lum::cli
