#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "gateway/Discovery.h"
#include "gateway/FleetRoster.h"
#include "gateway/MqttClient.h"
#include "support/MosquittoBroker.h"

namespace lum::gateway {
namespace {

constexpr char kDiscovery[] = "homeassistant";
const ControllerIdentity kNorth{"0A00000001", "SL-20", "1.2.3.4", "Lumaris"};
const ControllerIdentity kSouth{"0B00000002", "LS-2420D", "2.0.0.1", "Lumaris"};

void Announce(FleetRoster& roster, const Topics& topics, const ControllerIdentity& identity) {
  for (const DiscoveryDocument& document : DiscoveryDocuments(kDiscovery, topics, identity))
    ASSERT_TRUE(roster.Take(document.topic, document.payload.dump(), 0));
}

std::string Poll(int64_t sequence, int64_t timeMs, int64_t batteryMillivolts) {
  PollSample sample;
  sample.timeMs = timeMs;
  sample.raw[*PolledIndex(ValueId::BatteryVoltage)] = batteryMillivolts;
  return PollDocument(sequence, sample).dump();
}

// A hand-made binary sensor document, as Home Assistant reads one.
std::string FaultDocument(const Topics& topics, const std::string& serial, const std::string& key,
                          const char* payloadOn) {
  nlohmann::json document{{"name", key},
                          {"state_topic", topics.State(serial)},
                          {"value_template", "{{ value_json." + key + " }}"},
                          {"device", {{"serial_number", serial}, {"model", "SL-20"}}}};
  if (payloadOn != nullptr) document["payload_on"] = payloadOn;
  return document.dump();
}

TEST(FleetRosterTest, ControllersOfTwoGatewaysWithTheirValuesAndReachability) {
  FleetRoster roster(kDiscovery);
  const Topics siteA("site-a/lum");
  const Topics siteB("site-b");
  // A retained availability may come before the document that names its topic.
  ASSERT_TRUE(roster.Take(siteB.Availability(kSouth.serial), "online", 0));
  ASSERT_TRUE(roster.Take(siteB.Status(), "offline", 0));
  Announce(roster, siteB, kSouth);
  Announce(roster, siteA, kNorth);

  const auto controllers = roster.Controllers();
  ASSERT_EQ(controllers.size(), 2U);
  const FleetController& north = *controllers[0];
  EXPECT_EQ(north.site, "site-a/lum");
  EXPECT_EQ(north.serial, "0A00000001");
  EXPECT_EQ(north.model, "SL-20");
  EXPECT_EQ(north.firmware, "1.2.3.4");
  ASSERT_EQ(north.sensors.size(), kPolledValueCount);
  EXPECT_EQ(north.sensors[*PolledIndex(ValueId::BatteryVoltage)].key, "battery_v");
  EXPECT_EQ(north.sensors[*PolledIndex(ValueId::BatteryVoltage)].unit, "V");
  EXPECT_EQ(controllers[1]->site, "site-b");
  EXPECT_FALSE(north.lastHeardMs.has_value());

  ASSERT_TRUE(roster.Take(siteA.State(kNorth.serial), Poll(7, 1000, 12500), 5000));
  ASSERT_TRUE(roster.Take(siteA.State(kNorth.serial), Poll(8, 2000, 12400), 6000));
  // QoS 1 may bring a poll twice; older ones count once.
  ASSERT_TRUE(roster.Take(siteA.State(kNorth.serial), Poll(8, 2000, 12400), 6500));
  ASSERT_TRUE(roster.Take(siteA.State(kNorth.serial), Poll(6, 900, 9000), 6600));
  ASSERT_EQ(north.history.size(), 2U);
  EXPECT_EQ(north.history.back().timeMs, 2000);
  EXPECT_DOUBLE_EQ(north.history.back().values.at("battery_v"), 12.4);
  EXPECT_EQ(north.lastHeardMs, 6000);
  EXPECT_TRUE(controllers[1]->history.empty()) << "a poll of one site reached another";

  EXPECT_FALSE(roster.Reachable(north));
  ASSERT_TRUE(roster.Take(siteA.Availability(kNorth.serial), "online", 0));
  EXPECT_FALSE(roster.Reachable(north)) << "the gateway's own status was not heard yet";
  ASSERT_TRUE(roster.Take(siteA.Status(), "online", 0));
  EXPECT_TRUE(roster.Reachable(north));
  EXPECT_EQ(controllers[1]->available, true);
  EXPECT_FALSE(roster.Reachable(*controllers[1]));
  ASSERT_TRUE(roster.Take(siteB.Status(), "online", 0));
  EXPECT_TRUE(roster.Reachable(*controllers[1]));
  // The gateway's last will takes every controller of its site out of reach.
  ASSERT_TRUE(roster.Take(siteA.Status(), "offline", 0));
  EXPECT_FALSE(roster.Reachable(north));
  EXPECT_EQ(roster.SiteOnline("site-a/lum"), false);
  EXPECT_EQ(roster.NotUnderstood(), 0);
}

TEST(FleetRosterTest, FaultFlagsFollowTheirBinarySensorsPayloads) {
  FleetRoster roster(kDiscovery);
  const Topics site("lum");
  const std::string serial = kNorth.serial;
  ASSERT_TRUE(roster.Take("homeassistant/binary_sensor/lum_x/overload/config",
                          FaultDocument(site, serial, "overload", nullptr), 0));
  ASSERT_TRUE(roster.Take("homeassistant/binary_sensor/lum_x/battery_low/config",
                          FaultDocument(site, serial, "battery_low", "yes"), 0));
  const FleetController& controller = *roster.Controllers().at(0);
  EXPECT_EQ(controller.faults, (std::map<std::string, bool>{{"battery_low", false}, {"overload", false}}));

  ASSERT_TRUE(roster.Take(site.State(serial), R"({"overload":"ON","battery_low":"ON"})", 0));
  EXPECT_EQ(controller.faults, (std::map<std::string, bool>{{"battery_low", false}, {"overload", true}}));
  ASSERT_TRUE(roster.Take(site.State(serial), R"({"overload":false,"battery_low":"yes"})", 0));
  EXPECT_EQ(controller.faults, (std::map<std::string, bool>{{"battery_low", true}, {"overload", false}}));
  EXPECT_TRUE(controller.history.empty()) << "a document without values is no poll";
}

TEST(FleetRosterTest, HostileMessagesAreCountedAndChangeNothing) {
  FleetRoster roster(kDiscovery);
  const Topics site("lum");
  Announce(roster, site, kNorth);
  ASSERT_TRUE(roster.Take(site.State(kNorth.serial), Poll(1, 1000, 12000), 1000));
  ASSERT_TRUE(roster.Take(site.Availability(kNorth.serial), "online", 0));
  const std::string sensorTopic = "homeassistant/sensor/lum_y/battery_v/config";

  const std::vector<std::pair<std::string, std::string>> hostile = {
      {site.State(kNorth.serial), std::string(FleetRoster::kMaxPayload + 1, ' ')},
      {site.State(kNorth.serial), "{\"battery_v\": 1"},
      {site.State(kNorth.serial), "[1,2,3]"},
      {site.State(kNorth.serial), R"({"seq":"9","battery_v":99})"},
      {site.Availability(kNorth.serial), "maybe"},
      {sensorTopic, "not json"},
      {sensorTopic, R"({"state_topic":"lum/0C/state","value_template":"{{ value_json.battery_v }}"})"},
      {sensorTopic, R"({"state_topic":"lum/0D/state","value_template":"{{ value_json.battery_v }}",)"
                    R"("device":{"serial_number":"0C"}})"},
      {sensorTopic, R"({"state_topic":"lum/0C/state/x","value_template":"{{ value_json.battery_v }}",)"
                    R"("device":{"serial_number":"0C"}})"},
      {sensorTopic, R"({"state_topic":"0C/state","value_template":"{{ value_json.battery_v }}",)"
                    R"("device":{"serial_number":"0C"}})"},
      {sensorTopic, R"({"state_topic":"lum/0C/state","value_template":"{{ value_json }}",)"
                    R"("device":{"serial_number":"0C"}})"},
      {"homeassistant/switch/lum_y/x/config", FaultDocument(site, "0C", "x", nullptr)},
  };
  for (const auto& [topic, payload] : hostile) EXPECT_FALSE(roster.Take(topic, payload, 2000)) << payload;
  EXPECT_EQ(roster.NotUnderstood(), static_cast<int>(hostile.size()));

  // Topics the roster never learnt are none of its business.
  EXPECT_TRUE(roster.Take("somebody/else", "{", 0));
  EXPECT_EQ(roster.NotUnderstood(), static_cast<int>(hostile.size()));

  const auto controllers = roster.Controllers();
  ASSERT_EQ(controllers.size(), 1U);
  EXPECT_EQ(controllers[0]->history.size(), 1U);
  EXPECT_DOUBLE_EQ(controllers[0]->history.back().values.at("battery_v"), 12.0);
  EXPECT_EQ(controllers[0]->available, true);
}

// What a subscriber to everything hears, kept for the test thread.
class Heard {
 public:
  void Add(const std::string& topic, const std::string& payload) {
    const std::lock_guard lock(mutex_);
    messages_.emplace_back(topic, payload);
    changed_.notify_all();
  }
  // Everything heard once `count` messages came on `topic` (on any topic when it is empty).
  std::vector<std::pair<std::string, std::string>> WaitFor(const std::string& topic, size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(20), [&] {
      return static_cast<size_t>(std::count_if(messages_.begin(), messages_.end(), [&](const auto& m) {
               return topic.empty() || m.first == topic;
             })) >= count;
    });
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::pair<std::string, std::string>> messages_;
};

TEST(FleetRosterTest, ALateListenerLearnsTheFleetFromRetainedDocumentsOnARealBroker) {
  MosquittoBroker broker;
  BrokerSettings settings;
  settings.port = broker.Port();
  const Topics site("site-a/lum");
  settings.clientId = "gateway";
  Heard published;
  MqttClient gateway(settings, LastWill{site.Status(), Topics::kOffline},
                     {nullptr, nullptr, nullptr,
                      [&](const std::string& topic, const std::string& payload) { published.Add(topic, payload); }});
  gateway.Subscribe(site.Status());
  gateway.Start();
  const std::string serial = kNorth.serial;
  auto publish = [&](const std::string& topic, const std::string& payload, bool retain) {
    for (int tries = 0; tries < 200; ++tries) {
      if (gateway.Publish(topic, payload, MqttClient::kAtLeastOnce, retain)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "the broker did not take " << topic;
  };
  publish(site.Availability(serial), Topics::kOnline, true);
  for (const DiscoveryDocument& document : DiscoveryDocuments(kDiscovery, site, kNorth))
    publish(document.topic, document.payload.dump(), true);
  publish(site.Status(), Topics::kOnline, true);
  // The gateway hears its own last message back once the broker holds all before it.
  published.WaitFor(site.Status(), 1);

  Heard heard;
  settings.clientId = "fleet";
  MqttClient listener(settings, LastWill{},
                      {nullptr, nullptr, nullptr,
                       [&](const std::string& topic, const std::string& payload) { heard.Add(topic, payload); }});
  listener.Subscribe("#");
  listener.Start();
  // The retained documents come in the broker's order, the availability maybe before the
  // document that names its topic.
  heard.WaitFor("", kPolledValueCount + 2);
  publish(site.State(serial), Poll(3, 1000, 13100), false);
  FleetRoster roster(kDiscovery);
  for (const auto& [topic, payload] : heard.WaitFor(site.State(serial), 1))
    EXPECT_TRUE(roster.Take(topic, payload, 42));

  const auto controllers = roster.Controllers();
  ASSERT_EQ(controllers.size(), 1U);
  EXPECT_EQ(controllers[0]->site, "site-a/lum");
  EXPECT_EQ(controllers[0]->model, "SL-20");
  ASSERT_EQ(controllers[0]->history.size(), 1U);
  EXPECT_DOUBLE_EQ(controllers[0]->history.back().values.at("battery_v"), 13.1);
  EXPECT_TRUE(roster.Reachable(*controllers[0]));
}

}  // namespace
}  // namespace lum::gateway
