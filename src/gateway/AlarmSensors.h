#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
#include "gateway/Discovery.h"
#include "nights/NightChecks.h"
#include "nights/ThresholdSettings.h"
#include "store/Recordings.h"

namespace lum::gateway {

/// The key of an alarm kind in the alarms document: "did_not_light".
std::string AlarmStateKey(nights::AlarmKind kind);

/// One Home Assistant binary sensor ("problem") per alarm kind of a controller, reading its
/// alarms topic.
std::vector<DiscoveryDocument> AlarmDocuments(const std::string& discoveryPrefix, const Topics& topics,
                                              const ControllerIdentity& identity);

/// The alarms document: every kind "ON" while an alarm of it is open, else "OFF".
nlohmann::ordered_json AlarmStateDocument(const std::vector<nights::Alarm>& alarms);

/// The event of an alarm that opened: its kind, severity, nights and the figure behind it.
nlohmann::ordered_json AlarmEventDocument(const nights::Alarm& alarm);

/// What one check of a controller's nights has to say.
struct AlarmCheck {
  nlohmann::ordered_json state;
  std::vector<nlohmann::ordered_json> events;  // the alarms open now that were not at the last check
};

/// The nights each controller's recordings hold, checked against the programme its
/// configuration holds: which alarms are open, and which opened since the last check.
class AlarmWatch {
 public:
  /// The nights looked at: enough for a run of cut nights or a fading trend.
  static constexpr int64_t kLookBackMs = 60LL * 24 * 60 * 60 * 1000;

  /// Checks `serial`'s recordings up to `nowMs`. Throws store::DatabaseError.
  AlarmCheck Check(store::Recordings& recordings, const std::string& serial, const TCONFIG_BLOCK& block,
                   const nights::Thresholds& thresholds, int64_t nowMs);

 private:
  std::map<std::string, std::set<nights::AlarmKind>> open_;  // by serial, at the last check
};

}  // namespace lum::gateway
