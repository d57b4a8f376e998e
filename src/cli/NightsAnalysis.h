#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "nights/Night.h"
#include "nights/NightChecks.h"
#include "nights/NightRules.h"

namespace lum::cli {

/// What lumctl nights and alarms read recordings with.
struct NightsOptions {
  std::string db;
  std::string serial;
  std::string since;
  std::string config;  // the controller's configuration file: switch, cut and programme
  nights::Thresholds thresholds;
};

/// One controller's nights.
struct ControllerNights {
  std::vector<nights::Night> nights;
  int64_t lastPollMs = 0;
};

/// Adds the options every nights command takes.
void AddNightsOptions(CLI::App& command, NightsOptions& options);
/// The rules of --config, else those a new file starts with.
nights::NightRules RulesOf(const NightsOptions& options);
/// Every controller's nights in the recordings, by serial. Throws CLI::RuntimeError after
/// saying what was wrong.
std::map<std::string, ControllerNights> ReadNights(const NightsOptions& options, const nights::NightRules& rules);

/// A UTC time for people and files.
std::string UtcText(int64_t ms);
/// A serial as the database gave it, made safe for a terminal line.
std::string PrintableText(const std::string& text);

}  // namespace lum::cli
