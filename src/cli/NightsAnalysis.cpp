#include "cli/NightsAnalysis.h"

#include <fmt/format.h>

#include <chrono>
#include <iostream>
#include <stdexcept>

#include "base/TimeStamp.h"
#include "cli/Command.h"
#include "cli/DatabaseOption.h"
#include "data/ConfigFile.h"
#include "data/NewFileBlock.h"
#include "nights/RecordedNights.h"
#include "nights/ThresholdSettings.h"
#include "provision/Job.h"
#include "store/Recordings.h"

namespace lum::cli {

namespace {
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

[[noreturn]] void Refuse(const std::string& what, int status) {
  std::cerr << what << '\n';
  throw CLI::RuntimeError(status);
}
}  // namespace

void AddNightsOptions(CLI::App& command, NightsOptions& options) {
  command.add_option("--db", options.db, kDatabaseOptionHelp);
  command.add_option("--serial", options.serial, "Only this controller's (serial number as lumctl scan shows it)");
  command.add_option("--since", options.since, "Only polls at or after this UTC time (2026-12-08 or 2026-12-08T14:00)")
      ->type_name("TIME");
  command
      .add_option("--config", options.config,
                  "The controller's configuration file: its switch voltage and delay, low-voltage cut and "
                  "programme (without it, those a new file starts with)")
      ->type_name("FILE");
  command
      .add_option("--job", options.job,
                  "The provisioning job of these controllers: its \"nights\" thresholds apply over LUM.INI's "
                  "[Nights] (a controller's own [Nights <serial>] still wins)")
      ->type_name("FILE");
  const nights::Thresholds defaults;
  ThresholdOptions& t = options.thresholds;
  command
      .add_option("--cut-critical", t.cutShortCriticalRun,
                  fmt::format("Nights in a row cut short that are critical [{}]", defaults.cutShortCriticalRun))
      ->check(CLI::PositiveNumber);
  command
      .add_option("--lit-longer", t.litLongerMinutes,
                  fmt::format("Minutes beyond the programme that are lit too long [{}]", defaults.litLongerMinutes))
      ->check(CLI::NonNegativeNumber);
  command
      .add_option("--fading-nights", t.fadingNights,
                  fmt::format("Nights the battery's trend is taken over [{}]", defaults.fadingNights))
      ->check(CLI::Range(2, 366));
  command
      .add_option("--fading-slope", t.fadingVoltsPerNight,
                  fmt::format("Fall of the end-of-night voltage (V per night) that is fading [{}]",
                              defaults.fadingVoltsPerNight))
      ->check(CLI::PositiveNumber);
  command
      .add_option("--no-data-hours", t.noDataHours,
                  fmt::format("Hours without a poll that are an alarm [{}]", defaults.noDataHours))
      ->check(CLI::PositiveNumber);
}

nights::Thresholds ThresholdsFor(const NightsOptions& options, const Settings& settings, const std::string& serial) {
  nights::SettingEntries job;
  if (!options.job.empty()) {
    try {
      job = LoadJob(options.job).nightThresholds;
    } catch (const JobError& e) {
      Refuse("--job: " + PrintableText(e.what()), kExitBadInput);
    }
  }
  nights::Thresholds t;
  try {
    t = nights::ThresholdsOfSettings(
        [&settings](const std::string& section) { return settings.SectionEntries(section); }, serial, job);
  } catch (const std::invalid_argument& e) {
    Refuse(settings.Path() + ": " + PrintableText(e.what()), kExitBadInput);
  }
  const ThresholdOptions& given = options.thresholds;
  t.cutShortCriticalRun = given.cutShortCriticalRun.value_or(t.cutShortCriticalRun);
  t.litLongerMinutes = given.litLongerMinutes.value_or(t.litLongerMinutes);
  t.fadingNights = given.fadingNights.value_or(t.fadingNights);
  t.fadingVoltsPerNight = given.fadingVoltsPerNight.value_or(t.fadingVoltsPerNight);
  t.noDataHours = given.noDataHours.value_or(t.noDataHours);
  return t;
}

nights::NightRules RulesOf(const NightsOptions& options) {
  if (options.config.empty()) return nights::RulesOfBlock(NewFileStartBlock());
  ConfigFileResult file;
  try {
    file = OpenConfigFile(options.config);
  } catch (const std::exception& e) {
    Refuse("--config: " + std::string(e.what()), kExitBadInput);
  }
  if (file.status != ConfigFileStatus::Ok)
    Refuse("--config: '" + options.config + "' is not a configuration file of this program", kExitBadInput);
  return nights::RulesOfBlock(file.block);
}

std::map<std::string, nights::ControllerNights> ReadNights(const NightsOptions& options,
                                                           const nights::NightRules& rules) {
  store::RecordingFilter filter;
  if (!options.serial.empty()) filter.serial = options.serial;
  if (!options.since.empty()) {
    const auto since = ParseUtcStamp(options.since);
    if (!since) Refuse("--since: '" + options.since + "' is not a UTC time like 2026-12-08", kExitBadInput);
    filter.sinceMs = std::chrono::duration_cast<std::chrono::milliseconds>(since->time_since_epoch()).count();
  }
  const std::string target = ExistingDatabase(options.db);
  try {
    const auto db = store::OpenDatabase(target, store::OpenCheck::None);
    store::Recordings recordings(*db);
    return nights::NightsOfRecordings(recordings, filter, rules);
  } catch (const store::DatabaseError& e) {
    Refuse(e.what(), kExitFailed);
  }
}

std::string UtcText(int64_t ms) {
  return UtcStamp(std::chrono::system_clock::time_point{std::chrono::milliseconds(ms)});
}

std::string PrintableText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte < kFirstPrintable || byte == kDelete ? '?' : c;
  }
  return out;
}

}  // namespace lum::cli
