// The gateway against lum-sim controllers on pseudo-terminals and a throw-away Mosquitto.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "data/Backups.h"
#include "data/ConfigJson.h"
#include "data/NumberFormats.h"
#include "data/TempDir.h"
#include "gateway/Gateway.h"
#include "gateway/RemoteWrite.h"
#include "sim/ControllerSetup.h"
#include "sim/Simulator.h"
#include "store/RecordStore.h"
#include "store/Recordings.h"
#include "support/MosquittoBroker.h"
#include "support/MqttSubscriber.h"

namespace lum::gateway {
namespace {

MosquittoBroker& Broker() {
  static MosquittoBroker broker;
  return broker;
}

nlohmann::json Json(const std::string& text) { return nlohmann::json::parse(text); }

size_t WritesHeard(const sim::Controller& controller) {
  size_t writes = 0;
  for (const auto& frame : controller.RequestLog()) writes += sim::DecodeRequest(frame).IsWrite() ? 1 : 0;
  return writes;
}

// One gateway of its own (prefix and discovery prefix named after the test, so that retained
// messages of other tests on the shared broker are none of its business) on one controller.
class GatewayLoopTest : public ::testing::Test {
 protected:
  void StartWith(const sim::ControllerSetup& setup, bool remoteChanges,
                 const std::function<void(GatewaySettings&)>& adjust = {}) {
    setup_ = setup;
    controller_ = &simulator_.AddController(setup);
    simulator_.Start();
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    settings_.prefix = "lum/" + name;
    settings_.discoveryPrefix = "ha-" + name;
    settings_.broker = MqttSubscriber::Plain(broker_->Port(), "gw-" + name);
    settings_.intervalMs = GatewaySettings::kMinIntervalMs;
    settings_.retryMs = GatewaySettings::kMinIntervalMs;
    settings_.remoteChanges = remoteChanges;
    settings_.database = (dir_.path() / "gateway.db").string();
    settings_.dataFolder = dir_.path().string();
    if (adjust) adjust(settings_);
    subscriber_ = std::make_unique<MqttSubscriber>("#", MqttSubscriber::Plain(broker_->Port(), "sub-" + name));
    ASSERT_TRUE(subscriber_->WaitConnected(true));
    gateway_ = std::make_unique<Gateway>(settings_, PortMap::FromSection({{"COM1", controller_->Path()}}),
                                         [this](const std::string& line) {
                                           const std::lock_guard lock(log_mutex_);
                                           log_.push_back(line);
                                         });
    thread_ = std::thread([this] { gateway_->Run(stop_); });
  }
  void TearDown() override {
    Stop();
    const std::lock_guard lock(log_mutex_);
    if (HasFailure())
      for (const auto& line : log_) std::cerr << line << '\n';
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    gateway_.reset();
  }
  Topics topics() const { return Topics(settings_.prefix); }
  std::string Serial() const { return FormatSerial(setup_.serialNumber); }
  // The results of remote changes so far, once `count` came.
  std::vector<nlohmann::json> Results(size_t count) {
    std::vector<nlohmann::json> results;
    for (const auto& payload : subscriber_->WaitOn(topics().Result(Serial()), count)) results.push_back(Json(payload));
    return results;
  }
  void Command(const std::string& serial, const std::string& payload) {
    ASSERT_TRUE(subscriber_->Client().Publish(topics().Command(serial), payload, MqttClient::kAtLeastOnce, false));
  }
  std::vector<store::CommissioningRecord> Records() {
    return store::RecordStore(settings_.database, (dir_.path() / "spool.db").string(), store::RecordStore::Use::Reader)
        .Records();
  }

  ScratchDir dir_;
  MosquittoBroker* broker_ = &Broker();
  sim::Simulator simulator_;
  sim::ControllerSetup setup_;
  sim::Controller* controller_ = nullptr;
  GatewaySettings settings_;
  std::unique_ptr<MqttSubscriber> subscriber_;
  std::unique_ptr<Gateway> gateway_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex log_mutex_;  // the gateway's thread and the client's network thread both log
  std::vector<std::string> log_;
};

// Whether `holds` became true within the wait, looked at once a poll interval: the database
// the gateway writes tells nobody when it does.
bool Eventually(const std::function<bool()>& holds) {
  const auto until = std::chrono::steady_clock::now() + MqttSubscriber::kWait;
  while (!holds()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(GatewaySettings::kMinIntervalMs));
  }
  return true;
}

// The configuration as a scan reads it: the over-temperature limit comes with the monitor's
// temperature reply, not with the read.
nlohmann::json AsRead(const TCONFIG_BLOCK& block) {
  nlohmann::json document = BlockToJson(block);
  document.erase("OTP");
  return document;
}

TEST_F(GatewayLoopTest, AnnouncesAndPollsAControllerAndFollowsItAwayAndBack) {
  StartWith(sim::DefaultSetup(0), false);
  const Topics t = topics();
  const auto states = subscriber_->WaitOn(t.State(Serial()), 3);
  ASSERT_GE(states.size(), 3U);
  int64_t lastSeq = 0;
  for (const auto& state : states) {
    const auto document = Json(state);
    EXPECT_GT(document["seq"].get<int64_t>(), lastSeq);
    lastSeq = document["seq"].get<int64_t>();
    EXPECT_TRUE(document.contains("battery_v")) << state;
  }
  const std::string node = NodeId(Serial());
  const auto discovery = subscriber_->WaitOn(settings_.discoveryPrefix + "/sensor/" + node + "/battery_v/config", 1);
  ASSERT_FALSE(discovery.empty());  // again at each connection
  EXPECT_EQ(Json(discovery.back())["state_topic"], t.State(Serial()));
  EXPECT_EQ(Json(discovery.back())["device"]["serial_number"], Serial());
  const auto config = subscriber_->WaitOn(t.Config(Serial()), 1);
  ASSERT_FALSE(config.empty());
  auto published = Json(config[0]);
  published.erase("OTP");
  EXPECT_EQ(published, AsRead(controller_->Config()));
  EXPECT_TRUE(subscriber_->WaitFor(t.Status(), Topics::kOnline));
  EXPECT_TRUE(subscriber_->WaitFor(t.Availability(Serial()), Topics::kOnline));

  controller_->Unplug();
  EXPECT_TRUE(subscriber_->WaitFor(t.Availability(Serial()), Topics::kOffline));
  const size_t whileAway = subscriber_->WaitOn(t.State(Serial()), 0).size();
  controller_->Plug(setup_);
  EXPECT_TRUE(subscriber_->WaitFor(t.Availability(Serial()), Topics::kOnline));
  EXPECT_GT(subscriber_->WaitOn(t.State(Serial()), whileAway + 2).size(), whileAway);

  Stop();
  EXPECT_TRUE(subscriber_->WaitFor(t.Status(), Topics::kOffline));
  EXPECT_TRUE(subscriber_->WaitFor(t.Availability(Serial()), Topics::kOffline));
  // Every poll recorded was sent or waits in the backlog; the two reads made two recordings.
  auto db = store::OpenDatabase(settings_.database);
  store::Recordings recordings(*db);
  int64_t recorded = 0;
  for (const auto& recording : recordings.List()) {
    EXPECT_EQ(recording.serial, Serial());
    recorded += recording.polls;
  }
  EXPECT_EQ(recordings.List().size(), 2U);
  // (A message acknowledged just before the stop may still be in the backlog as well.)
  std::set<int64_t> sentOrWaiting;
  for (const auto& state : subscriber_->WaitOn(t.State(Serial()), 0))
    sentOrWaiting.insert(Json(state)["seq"].get<int64_t>());
  for (const auto& entry : Backlog(*db, 1).After(0, SIZE_MAX)) sentOrWaiting.insert(entry.sequence);
  EXPECT_EQ(recorded, static_cast<int64_t>(sentOrWaiting.size()));
}

TEST_F(GatewayLoopTest, ARemoteChangeIsWrittenVerifiedReadBackAndRecorded) {
  StartWith(sim::DefaultSetup(0), true);
  ASSERT_FALSE(subscriber_->WaitOn(topics().State(Serial()), 1).empty());
  const int held = BlockToJson(controller_->Config())["BattOVP"].get<int>();
  const int wanted = held + 100;
  Command(Serial(), nlohmann::json{{"Fields", {{"BattOVP", wanted}}}}.dump());
  const auto results = Results(1);
  ASSERT_EQ(results.size(), 1U);
  EXPECT_EQ(results[0]["result"], kResultOk) << results[0].dump();
  ASSERT_EQ(results[0]["changes"].size(), 1U);
  EXPECT_NE(results[0]["changes"][0].get<std::string>().find("BattOVP"), std::string::npos);
  // The simulator holds it, whatever the gateway believes.
  EXPECT_EQ(BlockToJson(controller_->Config())["BattOVP"], wanted);
  const auto configs = subscriber_->WaitOn(topics().Config(Serial()), 2);
  EXPECT_EQ(Json(configs.back())["BattOVP"], wanted);
  const auto records = Records();
  ASSERT_EQ(records.size(), 1U);
  EXPECT_EQ(records[0].result, store::Outcome::Done);
  EXPECT_EQ(records[0].serialNumber, setup_.serialNumber);
  EXPECT_EQ(records[0].after.size(), records[0].before.size());
  EXPECT_NE(records[0].before, records[0].after);
  // The first look, the read before the write and the read-back are each kept.
  EXPECT_EQ(ListBackups(settings_.dataFolder, Serial()).size(), 3U);
  // Polling goes on after the change.
  const size_t before = subscriber_->WaitOn(topics().State(Serial()), 0).size();
  EXPECT_GT(subscriber_->WaitOn(topics().State(Serial()), before + 1).size(), before);
}

TEST_F(GatewayLoopTest, HostileAndOutOfRangeChangesAreRefusedAndNothingIsWritten) {
  StartWith(sim::DefaultSetup(0), true);
  ASSERT_FALSE(subscriber_->WaitOn(topics().State(Serial()), 1).empty());
  const TCONFIG_BLOCK held = controller_->Config();
  const size_t writes = WritesHeard(*controller_);
  nlohmann::json overfull = BlockToJson(held);
  overfull["Channels"][0][0]["Timing"][0]["Power"] = 150;  // percent
  Command(Serial(), overfull.dump());
  Command(Serial(), "{not json");
  Command(Serial(), R"({"Fields": {"NoSuchField": 1}})");
  Command("0A00000000", R"({"Fields": {"BattOVP": 14400}})");
  const auto results = Results(3);
  ASSERT_EQ(results.size(), 3U);
  for (const auto& result : results) EXPECT_EQ(result["result"], kResultRefused) << result.dump();
  EXPECT_NE(results[0]["reason"].get<std::string>().find("150"), std::string::npos) << results[0].dump();
  EXPECT_EQ(results[1]["reason"], "not JSON");
  EXPECT_NE(results[2]["reason"].get<std::string>().find("NoSuchField"), std::string::npos);
  const auto elsewhere = subscriber_->WaitOn(topics().Result("0A00000000"), 1);
  ASSERT_EQ(elsewhere.size(), 1U);
  EXPECT_EQ(Json(elsewhere[0])["result"], kResultRefused);
  EXPECT_EQ(WritesHeard(*controller_), writes);
  EXPECT_EQ(controller_->Config(), held);
  EXPECT_TRUE(Records().empty());
}

TEST_F(GatewayLoopTest, AControllerUnpluggedMidWriteIsNeverReportedOk) {
  sim::ControllerSetup setup = sim::DefaultSetup(0);
  setup.vanishAfterWrites = 2;
  StartWith(setup, true);
  ASSERT_FALSE(subscriber_->WaitOn(topics().State(Serial()), 1).empty());
  nlohmann::json whole = BlockToJson(controller_->Config());
  whole["BattOVP"] = whole["BattOVP"].get<int>() + 100;
  whole["BattFCV"] = whole["BattFCV"].get<int>() + 100;
  Command(Serial(), whole.dump());
  const auto results = Results(1);
  ASSERT_EQ(results.size(), 1U);
  EXPECT_EQ(results[0]["result"], kResultFailure) << results[0].dump();
  EXPECT_FALSE(results[0]["reason"].get<std::string>().empty());
  const auto records = Records();
  ASSERT_EQ(records.size(), 1U);
  EXPECT_EQ(records[0].result, store::Outcome::Failed);
  EXPECT_TRUE(subscriber_->WaitFor(topics().Availability(Serial()), Topics::kOffline));
}

// Polls made while the broker is away wait in the backlog and arrive after it, each once (after
// dropping repeats) and in order; the retained documents are there again for a broker that
// lost them.
TEST_F(GatewayLoopTest, ThroughABrokerRestartEveryPollArrivesOnceInOrder) {
  MosquittoBroker own;
  broker_ = &own;
  StartWith(sim::DefaultSetup(0), false);
  const Topics t = topics();
  ASSERT_GE(subscriber_->WaitOn(t.State(Serial()), 3).size(), 3U);
  own.Stop();
  ASSERT_TRUE(subscriber_->WaitConnected(false));
  // The polls go on meanwhile: the recordings grow.
  const auto recordedPolls = [&] {
    auto db = store::OpenDatabase(settings_.database);
    int64_t polls = 0;
    for (const auto& recording : store::Recordings(*db).List()) polls += recording.polls;
    return polls;
  };
  const int64_t atStop = recordedPolls();
  ASSERT_TRUE(Eventually([&] { return recordedPolls() >= atStop + 5; }));
  own.Start();
  ASSERT_TRUE(subscriber_->WaitConnected(true));
  const int64_t target = recordedPolls() + 2;
  std::vector<int64_t> taken;
  for (size_t count = 1;; ++count) {
    const auto states = subscriber_->WaitOn(t.State(Serial()), count);
    if (states.size() < count) break;
    const int64_t seq = Json(states[count - 1])["seq"].get<int64_t>();
    if (!taken.empty() && seq <= taken.back()) continue;  // a repeat
    taken.push_back(seq);
    if (static_cast<int64_t>(taken.size()) >= target) break;
  }
  // No gap: every sequence number from the first, each once, in order.
  ASSERT_GE(static_cast<int64_t>(taken.size()), target);
  for (size_t i = 1; i < taken.size(); ++i) EXPECT_EQ(taken[i], taken[i - 1] + 1) << i;
  // The restarted broker lost the retained documents; the gateway published them again.
  auto late = MqttSubscriber("#", MqttSubscriber::Plain(own.Port(), "late"));
  EXPECT_TRUE(late.WaitFor(t.Status(), Topics::kOnline));
  EXPECT_FALSE(late.WaitOn(t.Config(Serial()), 1).empty());
}

// A broker that refuses the login is said, and nothing is lost meanwhile: the polls are
// recorded and wait in the backlog.
TEST_F(GatewayLoopTest, ARefusedLoginIsSaidAndThePollsWait) {
  StartWith(sim::DefaultSetup(0), false, [](GatewaySettings& settings) {
    settings.broker.port = Broker().TlsPort();
    settings.broker.caFile = Broker().CaFile();
    settings.broker.username = MosquittoBroker::kUser;
    settings.broker.password = "wrong";
  });
  auto db = store::OpenDatabase(settings_.database);
  Backlog backlog(*db, settings_.backlogLimit);
  ASSERT_TRUE(Eventually([&] { return backlog.Size() >= 3; }));
  Stop();
  const std::lock_guard lock(log_mutex_);
  bool said = false;
  for (const auto& line : log_) said = said || line.find("refused the connection: ") != std::string::npos;
  EXPECT_TRUE(said);
  EXPECT_TRUE(subscriber_->WaitOn(topics().State(Serial()), 0).empty());
  int64_t recorded = 0;
  for (const auto& recording : store::Recordings(*db).List()) recorded += recording.polls;
  EXPECT_EQ(backlog.Size(), recorded);
}

}  // namespace
}  // namespace lum::gateway
