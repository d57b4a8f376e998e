#include "gateway/AlarmSensors.h"

#include <fmt/format.h>

#include <algorithm>

#include "base/TimeStamp.h"
#include "nights/NightRules.h"
#include "nights/RecordedNights.h"

namespace lum::gateway {

namespace {

constexpr char kOn[] = "ON";
constexpr char kOff[] = "OFF";
constexpr nights::AlarmKind kKinds[] = {nights::AlarmKind::DidNotLight,   nights::AlarmKind::CutShort,
                                        nights::AlarmKind::LitLonger,     nights::AlarmKind::SolarMissing,
                                        nights::AlarmKind::BatteryFading, nights::AlarmKind::NoData};

std::chrono::system_clock::time_point TimeOf(int64_t ms) {
  return std::chrono::system_clock::time_point(std::chrono::milliseconds(ms));
}

}  // namespace

std::string AlarmStateKey(nights::AlarmKind kind) {
  std::string key = nights::AlarmKey(kind);
  std::replace(key.begin(), key.end(), '-', '_');
  return key;
}

std::vector<DiscoveryDocument> AlarmDocuments(const std::string& discoveryPrefix, const Topics& topics,
                                              const ControllerIdentity& identity) {
  const std::string node = NodeId(identity.serial);
  std::vector<DiscoveryDocument> documents;
  for (const nights::AlarmKind kind : kKinds) {
    const std::string key = AlarmStateKey(kind);
    const std::string objectId = fmt::format("{}_{}", node, key);
    nlohmann::ordered_json payload{{"name", key},
                                   {"unique_id", objectId},
                                   {"object_id", objectId},
                                   {"state_topic", topics.Alarms(identity.serial)},
                                   {"value_template", fmt::format("{{{{ value_json.{} }}}}", key)},
                                   {"payload_on", kOn},
                                   {"payload_off", kOff},
                                   {"device_class", "problem"},
                                   {"availability", AvailabilityOf(topics, identity.serial)},
                                   {"availability_mode", "all"},
                                   {"device", DeviceBlock(identity)}};
    documents.push_back({fmt::format("{}/binary_sensor/{}/{}/config", discoveryPrefix, node, key), std::move(payload)});
  }
  return documents;
}

nlohmann::ordered_json AlarmStateDocument(const std::vector<nights::Alarm>& alarms) {
  nlohmann::ordered_json document = nlohmann::ordered_json::object();
  for (const nights::AlarmKind kind : kKinds) {
    const bool open =
        std::any_of(alarms.begin(), alarms.end(), [kind](const nights::Alarm& a) { return a.kind == kind && a.open; });
    document[AlarmStateKey(kind)] = open ? kOn : kOff;
  }
  return document;
}

nlohmann::ordered_json AlarmEventDocument(const nights::Alarm& alarm) {
  return {{"event_type", AlarmStateKey(alarm.kind)},
          {"severity", nights::SeverityKey(alarm.severity)},
          {"first_night", UtcStamp(TimeOf(alarm.firstNightMs))},
          {"last_night", UtcStamp(TimeOf(alarm.lastNightMs))},
          {"nights", alarm.nights},
          {"value", alarm.value}};
}

AlarmCheck AlarmWatch::Check(store::Recordings& recordings, const std::string& serial, const TCONFIG_BLOCK& block,
                             const nights::Thresholds& thresholds, int64_t nowMs) {
  const nights::NightRules rules = nights::RulesOfBlock(block);
  store::RecordingFilter filter;
  filter.serial = serial;
  filter.sinceMs = nowMs - kLookBackMs;
  const auto found = nights::NightsOfRecordings(recordings, filter, rules);
  nights::ControllerNights none;
  const auto mine = found.find(serial);
  const nights::ControllerNights& controller = mine == found.end() ? none : mine->second;
  const std::vector<nights::Alarm> alarms =
      nights::CheckNights(controller.nights, rules.profile, thresholds, controller.lastPollMs, nowMs);

  AlarmCheck check{AlarmStateDocument(alarms), {}};
  std::set<nights::AlarmKind> open;
  std::set<nights::AlarmKind>& before = open_[serial];
  for (const nights::Alarm& alarm : alarms) {
    if (!alarm.open || !open.insert(alarm.kind).second) continue;
    if (!before.contains(alarm.kind)) check.events.push_back(AlarmEventDocument(alarm));
  }
  before = std::move(open);
  return check;
}

}  // namespace lum::gateway
