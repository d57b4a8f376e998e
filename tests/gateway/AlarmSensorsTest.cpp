// The alarms of recorded nights as Home Assistant binary sensors and events, over a simulated
// week in a real SQLite file, and as a fleet listener reads them back.
#include <gtest/gtest.h>

#include "data/TempDir.h"
#include "gateway/AlarmSensors.h"
#include "gateway/FleetRoster.h"
#include "nights/SimulatedNights.h"
#include "store/SqliteDatabase.h"

namespace lum::gateway {
namespace {

const ControllerIdentity kLamp{nights::kSerial, "SL-20", "1.2.3.4", "Lumaris"};

TEST(AlarmSensorsTest, OneProblemSensorPerAlarmKindReadingTheAlarmsTopic) {
  const auto documents = AlarmDocuments("homeassistant", Topics("site/lum"), kLamp);
  ASSERT_EQ(documents.size(), 6U);
  EXPECT_EQ(documents[0].topic, "homeassistant/binary_sensor/lum_0a00000066/did_not_light/config");
  const auto& doc = documents[0].payload;
  EXPECT_EQ(doc["state_topic"], "site/lum/0A00000066/alarms");
  EXPECT_EQ(doc["value_template"], "{{ value_json.did_not_light }}");
  EXPECT_EQ(doc["device_class"], "problem");
  EXPECT_EQ(doc["payload_on"], "ON");
  EXPECT_EQ(doc["payload_off"], "OFF");
  EXPECT_EQ(doc["unique_id"], "lum_0a00000066_did_not_light");
  EXPECT_EQ(doc["availability"][1]["topic"], "site/lum/0A00000066/availability");
  EXPECT_EQ(doc["device"], DeviceBlock(kLamp)) << "the same device as the controller's sensors";
  EXPECT_EQ(documents[5].payload["name"], "no_data");
}

class AlarmWatchTest : public TempDir {
 protected:
  void SetUp() override {
    db_ = std::make_unique<store::SqliteDatabase>(Path("gateway.db"));
    recordings_ = std::make_unique<store::Recordings>(*db_);
  }
  // A week of the Paris lamp, dark in its last two nights; the time of its last poll.
  int64_t RecordDeadLampWeek() {
    sim::SunWorldSetup setup = nights::ParisLamp();
    setup.deadLampNights = {5, 6};
    const nights::Simulated simulated = nights::Simulate(setup, 7);
    recordings_->Add(recordings_->Start(nights::kSerial), simulated.polls);
    return simulated.polls.back().timeMs;
  }
  std::unique_ptr<store::SqliteDatabase> db_;
  std::unique_ptr<store::Recordings> recordings_;
};

TEST_F(AlarmWatchTest, AnOpenAlarmIsOnAndToldOnceAsAnEvent) {
  const int64_t last = RecordDeadLampWeek();
  AlarmWatch watch;
  const AlarmCheck first = watch.Check(*recordings_, nights::kSerial, nights::ParisLampBlock(), {}, last);
  EXPECT_EQ(first.state, (nlohmann::ordered_json{{"did_not_light", "ON"},
                                                 {"cut_short", "OFF"},
                                                 {"lit_longer", "OFF"},
                                                 {"solar_missing", "OFF"},
                                                 {"battery_fading", "OFF"},
                                                 {"no_data", "OFF"}}));
  ASSERT_EQ(first.events.size(), 1U);
  EXPECT_EQ(first.events[0]["event_type"], "did_not_light");
  EXPECT_EQ(first.events[0]["nights"], 2);
  EXPECT_EQ(first.events[0]["severity"], "critical");

  const AlarmCheck again = watch.Check(*recordings_, nights::kSerial, nights::ParisLampBlock(), {}, last + 60'000);
  EXPECT_EQ(again.state, first.state);
  EXPECT_TRUE(again.events.empty()) << "an alarm still open is not told again";

  // Hours later without a poll the silence is an alarm of its own, told once.
  const int64_t silent = last + 3 * nights::kHourMs;
  const AlarmCheck quiet = watch.Check(*recordings_, nights::kSerial, nights::ParisLampBlock(), {}, silent);
  EXPECT_EQ(quiet.state["no_data"], "ON");
  ASSERT_EQ(quiet.events.size(), 1U);
  EXPECT_EQ(quiet.events[0]["event_type"], "no_data");
  // Its own thresholds: no data only after a day.
  nights::Thresholds patient;
  patient.noDataHours = 24;
  EXPECT_EQ(watch.Check(*recordings_, nights::kSerial, nights::ParisLampBlock(), patient, silent).state["no_data"],
            "OFF");
}

TEST_F(AlarmWatchTest, AFleetListenerShowsTheAlarmsAsFaults) {
  const int64_t last = RecordDeadLampWeek();
  const Topics topics("site/lum");
  FleetRoster roster("homeassistant");
  for (const auto& document : AlarmDocuments("homeassistant", topics, kLamp))
    ASSERT_TRUE(roster.Take(document.topic, document.payload.dump(), 0));
  AlarmWatch watch;
  const AlarmCheck check = watch.Check(*recordings_, nights::kSerial, nights::ParisLampBlock(), {}, last);
  ASSERT_TRUE(roster.Take(topics.Alarms(nights::kSerial), check.state.dump(), 0));

  const auto controllers = roster.Controllers();
  ASSERT_EQ(controllers.size(), 1U);
  EXPECT_EQ(controllers[0]->site, "site/lum");
  EXPECT_EQ(controllers[0]->faults.size(), 6U);
  EXPECT_TRUE(controllers[0]->faults.at("did_not_light"));
  EXPECT_FALSE(controllers[0]->faults.at("no_data"));
}

}  // namespace
}  // namespace lum::gateway
