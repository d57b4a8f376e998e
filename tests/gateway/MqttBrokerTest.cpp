#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "data/TempDir.h"
#include "gateway/BacklogSender.h"
#include "support/MosquittoBroker.h"

namespace lum::gateway {
namespace {

constexpr auto kWait = std::chrono::seconds(20);

MosquittoBroker& Broker() {
  static MosquittoBroker broker;
  return broker;
}

/// A client that records what comes and whether it is connected.
class Subscriber {
 public:
  explicit Subscriber(const std::string& topic, BrokerSettings settings = PlainBroker("subscriber")) {
    client_ = std::make_unique<MqttClient>(
        settings, LastWill{"test/will", "gone"},
        MqttHandlers{
            [this](bool up) { Set([&] { connected_ = up; }); },
            [this](const std::string& reason) { Set([&] { refusal_ = reason; }); }, nullptr,
            [this](const std::string& t, const std::string& p) { Set([&] { messages_.emplace_back(t, p); }); }});
    client_->Subscribe(topic);
    client_->Start();
  }
  static BrokerSettings PlainBroker(const std::string& id) {
    BrokerSettings settings;
    settings.port = Broker().Port();
    settings.clientId = id;
    return settings;
  }
  bool WaitConnected(bool up) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWait, [&] { return connected_ == up; });
  }
  std::string WaitRefusal() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kWait, [&] { return !refusal_.empty(); });
    return refusal_;
  }
  std::vector<std::pair<std::string, std::string>> WaitMessages(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kWait, [&] { return messages_.size() >= count; });
    return messages_;
  }

 private:
  template <typename F>
  void Set(F change) {
    {
      const std::lock_guard lock(mutex_);
      change();
    }
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  bool connected_ = false;
  std::string refusal_;
  std::vector<std::pair<std::string, std::string>> messages_;
  std::unique_ptr<MqttClient> client_;
};

TEST(MqttBrokerTest, TlsWithAPasswordConnectsAndAWrongPasswordDoesNot) {
  BrokerSettings settings;
  settings.port = Broker().TlsPort();
  settings.caFile = Broker().CaFile();
  settings.username = MosquittoBroker::kUser;
  settings.password = MosquittoBroker::kPassword;
  settings.clientId = "tls-good";
  Subscriber good("tls/#", settings);
  EXPECT_TRUE(good.WaitConnected(true));
  settings.password = "wrong";
  settings.clientId = "tls-bad";
  Subscriber bad("tls/#", settings);
  EXPECT_NE(bad.WaitRefusal().find("not authorised"), std::string::npos);
  settings.caFile = "/nonexistent/ca.crt";
  EXPECT_THROW(MqttClient(settings, LastWill{"t", "x"}, {}), MqttError);
}

// Polls pushed while the broker is there, while it is away and after it is back all arrive
// once each at a subscriber that drops sequence numbers it has seen, in order.
TEST(MqttBrokerTest, BacklogArrivesOnceInOrderThroughABrokerRestart) {
  MosquittoBroker broker;  // of its own: it is stopped
  ScratchDir dir;
  auto db = store::OpenDatabase((dir.path() / "gw.db").string());
  Backlog backlog(*db, 1000);
  BrokerSettings settings;
  settings.port = broker.Port();
  settings.clientId = "backlog-gateway";
  BacklogSender* sender = nullptr;
  MqttClient client(settings, LastWill{"gw/status", "offline"},
                    MqttHandlers{[&](bool up) { sender->OnConnection(up); }, nullptr,
                                 [&](int id) { sender->OnAcknowledged(id); }, nullptr});
  BacklogSender backlogSender(backlog, client);
  sender = &backlogSender;
  BrokerSettings subscriberSettings = settings;
  subscriberSettings.clientId = "backlog-subscriber";
  Subscriber subscriber("gw/+/state", subscriberSettings);
  client.Start();
  ASSERT_TRUE(subscriber.WaitConnected(true));

  std::vector<int64_t> pushed;
  const auto push = [&](int count) {
    for (int i = 0; i < count; ++i) {
      pushed.push_back(backlog.Push("gw/c1/state", [](int64_t s) { return std::to_string(s); }));
      sender->Pump();
    }
  };
  push(20);
  ASSERT_EQ(subscriber.WaitMessages(20).size(), 20U);
  broker.Stop();
  ASSERT_TRUE(subscriber.WaitConnected(false));
  push(30);
  broker.Start();
  ASSERT_TRUE(subscriber.WaitConnected(true));
  push(10);
  for (int tries = 0; backlog.Size() > 0 && tries < 2000; ++tries) {
    sender->Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(backlog.Size(), 0);
  std::vector<int64_t> seen;
  for (const auto& [topic, payload] : subscriber.WaitMessages(pushed.size())) {
    const int64_t sequence = std::stoll(payload);
    if (seen.empty() || sequence > seen.back()) seen.push_back(sequence);
  }
  EXPECT_EQ(seen, pushed);
}

}  // namespace
}  // namespace lum::gateway
