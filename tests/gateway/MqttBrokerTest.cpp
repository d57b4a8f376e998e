#include <gtest/gtest.h>

#include "data/TempDir.h"
#include "gateway/BacklogSender.h"
#include "support/MosquittoBroker.h"
#include "support/MqttSubscriber.h"

namespace lum::gateway {
namespace {

MosquittoBroker& Broker() {
  static MosquittoBroker broker;
  return broker;
}

/// A subscriber on the shared broker's plain listener, or as `settings` say.
class Subscriber : public MqttSubscriber {
 public:
  explicit Subscriber(const std::string& topic, const BrokerSettings& settings = PlainBroker("subscriber"))
      : MqttSubscriber(topic, settings) {}
  static BrokerSettings PlainBroker(const std::string& id) { return Plain(Broker().Port(), id); }
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
