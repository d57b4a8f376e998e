// The lum-gateway program as the service runs it, against a lum-sim controller and a
// throw-away Mosquitto: what it publishes, and how it ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "VersionInfo.h"
#include "data/NumberFormats.h"
#include "data/TempDir.h"
#include "gateway/Discovery.h"
#include "sim/ControllerSetup.h"
#include "sim/Simulator.h"
#include "support/MosquittoBroker.h"
#include "support/MqttSubscriber.h"

extern char** environ;

namespace lum::gateway {
namespace {

constexpr char kPrefix[] = "lum/process";

// A command's output (stdout and stderr) and exit status.
std::pair<int, std::string> Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, out};
  char buffer[1024];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class GatewayProcessTest : public ::testing::Test {
 protected:
  GatewayProcessTest() {
    controller_ = &simulator_.AddController(sim::DefaultSetup(0));
    simulator_.Start();
    std::ofstream(Config()) << "[Broker]\nPort=" << broker_.Port() << "\n[Gateway]\nPrefix=" << kPrefix
                            << "\nIntervalMs=100\nRetryMs=100\nDatabase=" << (dir_.path() / "gw.db").string()
                            << "\nDataFolder=" << dir_.path().string() << "\n[Ports]\nCOM1=" << controller_->Path()
                            << "\n";
  }
  ~GatewayProcessTest() override {
    if (pid_ > 0) End(SIGKILL);
  }
  std::string Config() const { return (dir_.path() / "gateway.ini").string(); }
  void Start() {
    const std::string config = Config();
    const char* argv[] = {LUM_GATEWAY_PATH, "--config", config.c_str(), nullptr};
    ASSERT_EQ(posix_spawn(&pid_, LUM_GATEWAY_PATH, nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  }
  // The exit status after `signal`.
  int End(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  std::unique_ptr<MqttSubscriber> Subscribe(const std::string& id) {
    auto subscriber = std::make_unique<MqttSubscriber>("#", MqttSubscriber::Plain(broker_.Port(), id));
    EXPECT_TRUE(subscriber->WaitConnected(true));
    return subscriber;
  }
  static int64_t Seq(const std::string& state) { return nlohmann::json::parse(state)["seq"].get<int64_t>(); }

  MosquittoBroker broker_;
  ScratchDir dir_;
  sim::Simulator simulator_;
  sim::Controller* controller_ = nullptr;
  pid_t pid_ = -1;
  const Topics topics_{kPrefix};
  const std::string serial_ = FormatSerial(sim::DefaultSetup(0).serialNumber);
};

TEST_F(GatewayProcessTest, PublishesUntilSigtermThenSaysOfflineAndTheWillSpeaksAfterSigkill) {
  auto watcher = Subscribe("watcher");
  Start();
  const auto discovery = watcher->WaitOn("homeassistant/sensor/" + NodeId(serial_) + "/battery_v/config", 1);
  ASSERT_FALSE(discovery.empty());
  EXPECT_EQ(nlohmann::json::parse(discovery[0])["state_topic"], topics_.State(serial_));
  const auto states = watcher->WaitOn(topics_.State(serial_), 3);
  ASSERT_GE(states.size(), 3U);
  EXPECT_TRUE(watcher->WaitFor(topics_.Status(), Topics::kOnline));

  const int status = End(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // Retained: a subscriber that comes later is told too.
  auto later = Subscribe("later");
  EXPECT_TRUE(later->WaitFor(topics_.Status(), Topics::kOffline));
  EXPECT_TRUE(later->WaitFor(topics_.Availability(serial_), Topics::kOffline));

  // The next start goes on from the kept database: a poll whose acknowledgement came just
  // before the stop may come again, with its own sequence number; new ones have higher ones.
  std::set<int64_t> seen;
  for (const auto& state : watcher->WaitOn(topics_.State(serial_), 0)) seen.insert(Seq(state));
  const size_t before = watcher->WaitOn(topics_.State(serial_), 0).size();
  Start();
  const auto again = watcher->WaitOn(topics_.State(serial_), before + 3);
  ASSERT_GE(again.size(), before + 3);
  size_t fresh = 0;
  for (size_t i = before; i < again.size(); ++i) {
    const int64_t seq = Seq(again[i]);
    if (seq <= *seen.rbegin())
      EXPECT_TRUE(seen.contains(seq)) << seq;
    else
      ++fresh;
  }
  EXPECT_GT(fresh, 0U);
  EXPECT_TRUE(watcher->WaitFor(topics_.Status(), Topics::kOnline));
  End(SIGKILL);
  EXPECT_TRUE(watcher->WaitFor(topics_.Status(), Topics::kOffline));
}

TEST_F(GatewayProcessTest, AnswersVersionAndRefusesAMissingSettingsFile) {
  const auto [versionStatus, version] = Shell(std::string(LUM_GATEWAY_PATH) + " --version");
  EXPECT_EQ(versionStatus, 0);
  EXPECT_EQ(version, std::string("lum-gateway ") + version::kFileVersion + "\n");
  const auto [missingStatus, missing] = Shell(std::string(LUM_GATEWAY_PATH) + " --config /nonexistent/gateway.ini");
  EXPECT_EQ(missingStatus, 2);
  EXPECT_NE(missing.find("/nonexistent/gateway.ini: no such settings file"), std::string::npos) << missing;
}

}  // namespace
}  // namespace lum::gateway
