// Gateways' backlogs through a throw-away Mosquitto on 127.0.0.1, restarted halfway: every
// poll must reach a subscriber once (after dropping repeated sequence numbers) and in order;
// messages per second and the end-to-end latency from the poll's push to its arrival.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "data/TempDir.h"
#include "gateway/BacklogSender.h"
#include "support/MosquittoBroker.h"

namespace lum::bench {

namespace {

using gateway::Backlog;
using gateway::BacklogSender;
using gateway::BrokerSettings;
using gateway::LastWill;
using gateway::MqttClient;
using gateway::MqttHandlers;
using Clock = std::chrono::steady_clock;

constexpr int kPollsPerController = 50;
constexpr auto kPumpPause = std::chrono::milliseconds(1);
constexpr auto kGiveUp = std::chrono::seconds(60);

int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// One gateway: its own database, backlog, connection and sender.
struct Gateway {
  Gateway(const BrokerSettings& settings, const std::string& file)
      : db(store::OpenDatabase(file)), backlog(*db, INT64_MAX) {
    client = std::make_unique<MqttClient>(settings, LastWill{settings.clientId + "/status", "offline"},
                                          MqttHandlers{[this](bool up) { sender->OnConnection(up); }, nullptr,
                                                       [this](int id) { sender->OnAcknowledged(id); }, nullptr});
    sender = std::make_unique<BacklogSender>(backlog, *client);
    client->Start();
  }
  std::unique_ptr<store::Database> db;
  Backlog backlog;
  std::unique_ptr<MqttClient> client;
  std::unique_ptr<BacklogSender> sender;
};

// Takes each topic's messages in sequence order, dropping repeats, and sums the latencies.
struct Tally {
  std::mutex mutex;
  std::condition_variable done;
  std::map<std::string, int64_t> last;
  int64_t taken = 0, repeated = 0, latencyUs = 0;

  void Take(const std::string& topic, const std::string& payload) {
    const auto at = payload.find(' ');
    const int64_t sequence = std::stoll(payload.substr(0, at));
    const std::lock_guard lock(mutex);
    int64_t& seen = last[topic];
    if (sequence <= seen) {
      ++repeated;
      return;
    }
    seen = sequence;
    ++taken;
    latencyUs += NowUs() - std::stoll(payload.substr(at + 1));
    done.notify_all();
  }
};

void BM_GatewaysThroughABrokerRestart(benchmark::State& state) {
  const int gateways = static_cast<int>(state.range(0));
  const int controllers = static_cast<int>(state.range(1));
  const int64_t total = int64_t{gateways} * controllers * kPollsPerController;
  double seconds = 0;
  Tally tally;
  for (auto _ : state) {
    MosquittoBroker broker;
    ScratchDir dir;
    BrokerSettings settings;
    settings.port = broker.Port();
    settings.clientId = "bench-subscriber";
    MqttClient subscriber(
        settings, LastWill{"bench/sub", "gone"},
        MqttHandlers{nullptr, nullptr, nullptr, [&](const std::string& t, const std::string& p) { tally.Take(t, p); }});
    subscriber.Subscribe("bench/+/+/state");
    subscriber.Start();
    std::vector<std::unique_ptr<Gateway>> fleet;
    for (int g = 0; g < gateways; ++g) {
      settings.clientId = "bench-gw-" + std::to_string(g);
      fleet.push_back(std::make_unique<Gateway>(settings, (dir.path() / (settings.clientId + ".db")).string()));
    }
    const auto start = Clock::now();
    for (int poll = 0; poll < kPollsPerController; ++poll) {
      if (poll == kPollsPerController / 2) {
        broker.Stop();
        broker.Start();
      }
      for (int g = 0; g < gateways; ++g) {
        for (int c = 0; c < controllers; ++c) {
          const std::string topic = "bench/" + std::to_string(g) + "/" + std::to_string(c) + "/state";
          fleet[g]->backlog.Push(topic, [](int64_t s) { return std::to_string(s) + " " + std::to_string(NowUs()); });
        }
        fleet[g]->sender->Pump();
      }
    }
    const auto pumpAll = [&] {
      for (auto& gw : fleet) gw->sender->Pump();
      std::unique_lock lock(tally.mutex);
      return tally.done.wait_for(lock, kPumpPause, [&] { return tally.taken >= total; });
    };
    while (!pumpAll() && Clock::now() - start < kGiveUp) {
    }
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["messages_per_s"] = static_cast<double>(total) / seconds;
  state.counters["latency_ms"] = static_cast<double>(tally.latencyUs) / 1000.0 / static_cast<double>(tally.taken);
  state.counters["repeats_dropped"] = static_cast<double>(tally.repeated);
  state.counters["arrived_once"] = static_cast<double>(tally.taken);
  if (tally.taken != total) state.SkipWithError("not every poll arrived");
}
BENCHMARK(BM_GatewaysThroughABrokerRestart)->Args({1, 8})->Args({4, 8})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace lum::bench
