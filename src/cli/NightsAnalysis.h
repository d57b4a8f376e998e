#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "language/Settings.h"
#include "nights/Night.h"
#include "nights/NightChecks.h"
#include "nights/NightRules.h"
#include "nights/RecordedNights.h"

namespace lum::cli {

/// Thresholds given on the command line: they win over LUM.INI's.
struct ThresholdOptions {
  std::optional<int> cutShortCriticalRun;
  std::optional<double> litLongerMinutes;
  std::optional<int> fadingNights;
  std::optional<double> fadingVoltsPerNight;
  std::optional<double> noDataHours;
};

/// What lumctl nights and alarms read recordings with.
struct NightsOptions {
  std::string db;
  std::string serial;
  std::string since;
  std::string config;  // the controller's configuration file: switch, cut and programme
  std::string job;     // the provisioning job whose thresholds apply
  ThresholdOptions thresholds;
};

/// Adds the options every nights command takes.
void AddNightsOptions(CLI::App& command, NightsOptions& options);
/// One controller's thresholds: the defaults, LUM.INI's [Nights], its [Nights <serial>], then
/// the command line's. Throws CLI::RuntimeError after naming a bad LUM.INI key.
nights::Thresholds ThresholdsFor(const NightsOptions& options, const Settings& settings, const std::string& serial);
/// The rules of --config, else those a new file starts with.
nights::NightRules RulesOf(const NightsOptions& options);
/// Every controller's nights in the recordings, by serial. Throws CLI::RuntimeError after
/// saying what was wrong.
std::map<std::string, nights::ControllerNights> ReadNights(const NightsOptions& options,
                                                           const nights::NightRules& rules);

/// A UTC time for people and files.
std::string UtcText(int64_t ms);
/// A serial as the database gave it, made safe for a terminal line.
std::string PrintableText(const std::string& text);

}  // namespace lum::cli
