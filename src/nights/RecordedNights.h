#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "nights/Night.h"
#include "nights/NightChecks.h"
#include "nights/NightRules.h"
#include "nights/ThresholdSettings.h"
#include "store/Recordings.h"

namespace lum::nights {

/// One controller's nights in the recordings.
struct ControllerNights {
  std::vector<Night> nights;
  int64_t lastPollMs = 0;
};

/// Every controller's nights in the polls that match, by serial, found as the polls stream
/// out: a year of polls is never in memory. Throws store::DatabaseError.
std::map<std::string, ControllerNights> NightsOfRecordings(store::Recordings& recordings,
                                                           const store::RecordingFilter& filter,
                                                           const NightRules& rules);

/// One controller's thresholds from a settings file: the defaults, its [Nights] section, the
/// thresholds of the provisioning job it belongs to, then [Nights <serial>]. `section` gives a
/// section's entries. Throws std::invalid_argument naming the bad key.
Thresholds ThresholdsOfSettings(const std::function<SettingEntries(const std::string&)>& section,
                                const std::string& serial, const SettingEntries& job = {});

}  // namespace lum::nights
