#include "gateway/Discovery.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>

namespace lum::gateway {

namespace {

constexpr char kSequenceKey[] = "seq";
constexpr char kTimeKey[] = "time_ms";

// Home Assistant's device class of a value, or null where it has none.
const char* DeviceClassOf(Unit unit) {
  switch (unit) {
    case Unit::Seconds:
      return "duration";
    case Unit::Celsius:
      return "temperature";
    case Unit::Millivolts:
    case Unit::TenMillivolts:
      return "voltage";
    case Unit::Milliamperes:
      return "current";
    default:
      return nullptr;
  }
}

}  // namespace

nlohmann::ordered_json DeviceBlock(const ControllerIdentity& identity) {
  return {{"identifiers", {NodeId(identity.serial)}},
          {"serial_number", identity.serial},
          {"name", identity.model + " " + identity.serial},
          {"model", identity.model},
          {"sw_version", identity.firmware},
          {"manufacturer", identity.manufacturer}};
}

nlohmann::ordered_json AvailabilityOf(const Topics& topics, const std::string& serial) {
  auto entry = [](const std::string& topic) {
    return nlohmann::ordered_json{
        {"topic", topic}, {"payload_available", Topics::kOnline}, {"payload_not_available", Topics::kOffline}};
  };
  return {entry(topics.Status()), entry(topics.Availability(serial))};
}

std::string NodeId(const std::string& serial) {
  std::string id = "lum_" + serial;
  std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return std::tolower(c); });
  return id;
}

std::vector<DiscoveryDocument> DiscoveryDocuments(const std::string& discoveryPrefix, const Topics& topics,
                                                  const ControllerIdentity& identity) {
  const std::string node = NodeId(identity.serial);
  std::vector<DiscoveryDocument> documents;
  for (const ValueId id : kPolledValues) {
    const std::string key = ValueKey(id);
    const Unit unit = UnitOf(id);
    const std::string objectId = fmt::format("{}_{}", node, key);
    nlohmann::ordered_json payload{{"name", key},
                                   {"unique_id", objectId},
                                   {"object_id", objectId},
                                   {"state_topic", topics.State(identity.serial)},
                                   {"value_template", fmt::format("{{{{ value_json.{} }}}}", key)},
                                   {"unit_of_measurement", UnitSymbol(unit)},
                                   {"state_class", "measurement"}};
    if (const char* deviceClass = DeviceClassOf(unit)) payload["device_class"] = deviceClass;
    payload["availability"] = AvailabilityOf(topics, identity.serial);
    payload["availability_mode"] = "all";
    payload["device"] = DeviceBlock(identity);
    documents.push_back({fmt::format("{}/sensor/{}/{}/config", discoveryPrefix, node, key), std::move(payload)});
  }
  return documents;
}

nlohmann::ordered_json PollDocument(int64_t sequence, const PollSample& sample) {
  nlohmann::ordered_json document{{kSequenceKey, sequence}, {kTimeKey, sample.timeMs}};
  for (const ValueId id : kPolledValues) {
    if (const auto value = sample.Natural(id)) document[ValueKey(id)] = *value;
  }
  return document;
}

}  // namespace lum::gateway
