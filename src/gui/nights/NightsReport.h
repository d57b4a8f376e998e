#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "nights/NightChecks.h"
#include "nights/NightRules.h"

namespace lum {

/// What the Nights window asks of an analysis: one controller's recordings in a database.
struct NightsRequest {
  std::string dataDir;   // the window's data folder
  std::string database;  // LUM.INI's database, empty for the data folder's file
  std::string serial;
  nights::NightRules rules;
  nights::Thresholds thresholds;
  int64_t nowMs = 0;
};

/// Its answer: the nights and their alarms, or why there are none.
struct NightsReport {
  std::vector<nights::Night> nights;
  std::vector<nights::Alarm> alarms;
  std::optional<std::string> failure;
};

/// Reads and checks the controller's nights over a connection of its own, so that it can run
/// on a thread beside the window's.
NightsReport AnalyseNights(const NightsRequest& request);

}  // namespace lum
