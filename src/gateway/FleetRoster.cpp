#include "gateway/FleetRoster.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "gateway/Topics.h"

namespace lum::gateway {

namespace {

using Json = nlohmann::json;

constexpr char kSensor[] = "sensor";
constexpr char kBinarySensor[] = "binary_sensor";
constexpr char kConfigLeaf[] = "/config";
constexpr char kTemplateField[] = "value_json.";
constexpr char kDefaultPayloadOn[] = "ON";
// The poll document's own fields beside its values (see PollDocument).
constexpr char kSequenceKey[] = "seq";
constexpr char kTimeKey[] = "time_ms";

std::optional<Json> ParseObject(const std::string& payload) {
  if (payload.size() > FleetRoster::kMaxPayload) return std::nullopt;
  Json document = Json::parse(payload, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return std::nullopt;
  return document;
}

std::string StringField(const Json& object, const char* name) {
  const auto found = object.find(name);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The state document's key a template reads: "{{ value_json.battery_v }}" gives "battery_v".
std::string TemplateKey(const std::string& valueTemplate) {
  const std::size_t start = valueTemplate.find(kTemplateField);
  if (start == std::string::npos) return {};
  const std::size_t from = start + sizeof(kTemplateField) - 1;
  std::size_t end = from;
  while (end < valueTemplate.size() &&
         (std::isalnum(static_cast<unsigned char>(valueTemplate[end])) != 0 || valueTemplate[end] == '_'))
    ++end;
  return valueTemplate.substr(from, end - from);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A discovery topic's component: "homeassistant/sensor/lum_x/battery_v/config" gives "sensor".
std::string ComponentOf(const std::string& topic, const std::string& discoveryPrefix) {
  const std::size_t from = discoveryPrefix.size() + 1;
  const std::size_t end = topic.find('/', from);
  return end == std::string::npos ? std::string() : topic.substr(from, end - from);
}

bool IsOn(const Json& value, const std::string& payloadOn) {
  if (value.is_boolean()) return value.get<bool>();
  if (value.is_string()) return value.get<std::string>() == payloadOn;
  return value.is_number() && value.get<double>() != 0;
}

}  // namespace

bool FleetRoster::Understood(bool understood) {
  if (!understood) ++not_understood_;
  return understood;
}

bool FleetRoster::Take(const std::string& topic, const std::string& payload, int64_t heardMs) {
  if (topic.rfind(discovery_prefix_ + "/", 0) == 0 && EndsWith(topic, kConfigLeaf))
    return Understood(TakeDiscovery(topic, payload));
  const bool online = payload == Topics::kOnline;
  const bool availability = online || payload == Topics::kOffline;
  const auto route = routes_.find(topic);
  if (route == routes_.end()) {
    if (availability && (pending_online_.size() < kPendingLimit || pending_online_.count(topic) != 0))
      pending_online_[topic] = online;
    return true;
  }
  if (route->second.kind == RouteKind::State) return Understood(TakeState(route->second.controller, payload, heardMs));
  if (!availability) return Understood(false);
  SetOnline(route->second, online);
  return true;
}

void FleetRoster::SetOnline(const TopicRoute& route, bool online) {
  if (route.kind == RouteKind::Status)
    sites_online_[route.controller.first] = online;
  else
    controllers_[route.controller].available = online;
}

void FleetRoster::LearnRoute(const std::string& topic, RouteKind kind, const Key& controller) {
  routes_[topic] = {kind, controller};
  if (const auto pending = pending_online_.find(topic); pending != pending_online_.end()) {
    SetOnline(routes_[topic], pending->second);
    pending_online_.erase(pending);
  }
}

bool FleetRoster::TakeDiscovery(const std::string& topic, const std::string& payload) {
  // An empty retained document withdraws an entity; the controller stays as last heard.
  if (payload.empty()) return true;
  const std::optional<Json> document = ParseObject(payload);
  if (!document) return false;
  const std::string component = ComponentOf(topic, discovery_prefix_);
  const std::string stateTopic = StringField(*document, "state_topic");
  const std::string key = TemplateKey(StringField(*document, "value_template"));
  const auto device = document->find("device");
  if ((component != kSensor && component != kBinarySensor) || key.empty() || device == document->end() ||
      !device->is_object())
    return false;
  const std::string serial = StringField(*device, "serial_number");
  // The gateway's prefix is what precedes "<serial>/<leaf>": the polls' "state", the alarms'...
  const std::size_t serialAt = stateTopic.rfind("/" + serial + "/");
  if (serial.empty() || serialAt == std::string::npos || serialAt == 0 ||
      stateTopic.find('/', serialAt + serial.size() + 2) != std::string::npos)
    return false;
  const Key controllerKey{stateTopic.substr(0, serialAt), serial};

  FleetController& controller = controllers_[controllerKey];
  controller.site = controllerKey.first;
  controller.serial = serial;
  controller.model = StringField(*device, "model");
  controller.firmware = StringField(*device, "sw_version");
  if (component == kSensor) {
    auto& sensors = controller.sensors;
    const auto known = std::find_if(sensors.begin(), sensors.end(), [&](const FleetSensor& s) { return s.key == key; });
    const std::string unit = StringField(*document, "unit_of_measurement");
    if (known == sensors.end())
      sensors.push_back({key, unit});
    else
      known->unit = unit;
  } else {
    controller.faults.try_emplace(key, false);
    const std::string payloadOn = StringField(*document, "payload_on");
    payload_on_[{controllerKey, key}] = payloadOn.empty() ? kDefaultPayloadOn : payloadOn;
  }
  LearnRoute(stateTopic, RouteKind::State, controllerKey);
  if (const auto availability = document->find("availability");
      availability != document->end() && availability->is_array()) {
    for (const Json& entry : *availability) {
      if (!entry.is_object()) continue;
      const std::string availabilityTopic = StringField(entry, "topic");
      if (availabilityTopic.empty()) continue;
      const bool isStatus = availabilityTopic == Topics(controllerKey.first).Status();
      LearnRoute(availabilityTopic, isStatus ? RouteKind::Status : RouteKind::Availability, controllerKey);
    }
  }
  return true;
}

bool FleetRoster::TakeState(const Key& key, const std::string& payload, int64_t heardMs) {
  const std::optional<Json> document = ParseObject(payload);
  if (!document) return false;
  FleetController& controller = controllers_[key];
  if (const auto sequence = document->find(kSequenceKey); sequence != document->end()) {
    if (!sequence->is_number_integer()) return false;
    const int64_t number = sequence->get<int64_t>();
    if (controller.lastSequence && number <= *controller.lastSequence) return true;
    controller.lastSequence = number;
  }
  for (auto& [fault, on] : controller.faults) {
    if (const auto value = document->find(fault); value != document->end())
      on = IsOn(*value, payload_on_[{key, fault}]);
  }
  FleetPoint point;
  const auto time = document->find(kTimeKey);
  point.timeMs = time != document->end() && time->is_number_integer() ? time->get<int64_t>() : heardMs;
  for (const FleetSensor& sensor : controller.sensors) {
    const auto value = document->find(sensor.key);
    if (value != document->end() && value->is_number()) point.values[sensor.key] = value->get<double>();
  }
  if (point.values.empty()) return true;
  controller.lastHeardMs = heardMs;
  controller.history.push_back(std::move(point));
  if (controller.history.size() > kHistoryLimit) controller.history.pop_front();
  return true;
}

std::vector<const FleetController*> FleetRoster::Controllers() const {
  std::vector<const FleetController*> list;
  list.reserve(controllers_.size());
  for (const auto& entry : controllers_) list.push_back(&entry.second);
  return list;
}

std::optional<bool> FleetRoster::SiteOnline(const std::string& site) const {
  const auto found = sites_online_.find(site);
  if (found == sites_online_.end()) return std::nullopt;
  return found->second;
}

bool FleetRoster::Reachable(const FleetController& controller) const {
  return controller.available.value_or(false) && SiteOnline(controller.site).value_or(false);
}

}  // namespace lum::gateway
