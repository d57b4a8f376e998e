#include <gtest/gtest.h>

#include "gateway/Discovery.h"

namespace lum::gateway {
namespace {

const ControllerIdentity kIdentity{"0A12345678", "SL-20", "1.2.3.4", "Lumaris"};

TEST(DiscoveryTest, OneSensorPerPolledValueUnderTheDiscoveryPrefix) {
  const auto documents = DiscoveryDocuments("homeassistant", Topics("lum"), kIdentity);
  ASSERT_EQ(documents.size(), kPolledValueCount);
  for (size_t i = 0; i < documents.size(); ++i) {
    const std::string key = ValueKey(kPolledValues[i]);
    EXPECT_EQ(documents[i].topic, "homeassistant/sensor/lum_0a12345678/" + key + "/config");
    EXPECT_EQ(documents[i].payload["unique_id"], "lum_0a12345678_" + key);
    EXPECT_EQ(documents[i].payload["value_template"], "{{ value_json." + key + " }}");
  }
}

TEST(DiscoveryTest, BatteryVoltageDocumentFieldByField) {
  const auto documents = DiscoveryDocuments("ha", Topics("site/lum"), kIdentity);
  const auto& doc = documents[*PolledIndex(ValueId::BatteryVoltage)].payload;
  EXPECT_EQ(doc["name"], "battery_v");
  EXPECT_EQ(doc["state_topic"], "site/lum/0A12345678/state");
  EXPECT_EQ(doc["unit_of_measurement"], "V");
  EXPECT_EQ(doc["device_class"], "voltage");
  EXPECT_EQ(doc["state_class"], "measurement");
  EXPECT_EQ(doc["availability_mode"], "all");
  ASSERT_EQ(doc["availability"].size(), 2U);
  EXPECT_EQ(doc["availability"][0]["topic"], "site/lum/status");
  EXPECT_EQ(doc["availability"][1]["topic"], "site/lum/0A12345678/availability");
  EXPECT_EQ(doc["availability"][1]["payload_available"], "online");
  EXPECT_EQ(doc["availability"][1]["payload_not_available"], "offline");
  const auto& device = doc["device"];
  EXPECT_EQ(device["identifiers"], nlohmann::ordered_json::array({"lum_0a12345678"}));
  EXPECT_EQ(device["serial_number"], "0A12345678");
  EXPECT_EQ(device["model"], "SL-20");
  EXPECT_EQ(device["sw_version"], "1.2.3.4");
  EXPECT_EQ(device["manufacturer"], "Lumaris");
}

TEST(DiscoveryTest, UnitsAndDeviceClassesOfTheOtherValues) {
  const auto documents = DiscoveryDocuments("ha", Topics("lum"), kIdentity);
  const auto at = [&](ValueId id) { return documents[*PolledIndex(id)].payload; };
  EXPECT_EQ(at(ValueId::Temperature)["device_class"], "temperature");
  EXPECT_EQ(at(ValueId::Temperature)["unit_of_measurement"], "°C");
  EXPECT_EQ(at(ValueId::Load1Current)["device_class"], "current");
  EXPECT_EQ(at(ValueId::Load1Current)["unit_of_measurement"], "A");
  EXPECT_EQ(at(ValueId::SolarVoltage)["device_class"], "voltage");
  EXPECT_EQ(at(ValueId::PowerOnTime)["device_class"], "duration");
  EXPECT_EQ(at(ValueId::PowerOnTime)["unit_of_measurement"], "s");
}

TEST(DiscoveryTest, PollDocumentCarriesSequenceTimeAndTheValuesThatCame) {
  PollSample sample;
  sample.timeMs = 1700000000123;
  sample.raw[*PolledIndex(ValueId::BatteryVoltage)] = 12340;
  sample.raw[*PolledIndex(ValueId::Temperature)] = 31;
  const auto doc = PollDocument(7, sample);
  EXPECT_EQ(doc["seq"], 7);
  EXPECT_EQ(doc["time_ms"], 1700000000123);
  EXPECT_DOUBLE_EQ(doc["battery_v"].get<double>(), 12.34);
  EXPECT_DOUBLE_EQ(doc["temperature"].get<double>(), 31.0);
  EXPECT_FALSE(doc.contains("solar_v"));
  EXPECT_EQ(doc.size(), 4U);
}

}  // namespace
}  // namespace lum::gateway
