// lum-gateway processes of 8 lum-sim controllers each, at one poll a second, the throw-away
// Mosquitto restarted halfway: every poll recorded must reach a subscriber once (after
// dropping repeated sequence numbers) and in order per controller, or still wait in its
// gateway's backlog at the stop. Messages per second, latency from the end of the poll to its
// arrival, and the gateways' CPU time per controller.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "data/NumberFormats.h"
#include "data/PollSample.h"
#include "data/TempDir.h"
#include "gateway/Backlog.h"
#include "gateway/MqttClient.h"
#include "gateway/Topics.h"
#include "sim/ControllerSetup.h"
#include "sim/Simulator.h"
#include "store/Recordings.h"
#include "support/MosquittoBroker.h"

namespace lum::bench {

namespace {

constexpr int kControllersPerGateway = 8;
constexpr uint32_t kFirstSerial = 4200000001;
constexpr auto kHalf = std::chrono::seconds(20);       // polling before and after the restart
constexpr auto kBrokerAway = std::chrono::seconds(3);  // the broker's absence
constexpr auto kSettle = std::chrono::seconds(3);      // for the last acknowledgements

struct Arrivals {
  std::mutex mutex;
  using Time = std::chrono::steady_clock::time_point;
  std::map<std::string, std::set<int64_t>> seen;              // by state topic
  std::map<std::string, std::pair<Time, Time>> firstAndLast;  // arrivals of new polls, by topic
  int64_t taken = 0, repeats = 0, outOfOrder = 0;
  double latencyMs = 0;

  // Polls a second of each controller once it is polled: from its first new poll to its last.
  double PollsPerControllerSecond() const {
    double sum = 0;
    for (const auto& [topic, times] : firstAndLast) {
      const double seconds = std::chrono::duration<double>(times.second - times.first).count();
      if (seconds > 0) sum += static_cast<double>(seen.at(topic).size() - 1) / seconds;
    }
    return firstAndLast.empty() ? 0 : sum / static_cast<double>(firstAndLast.size());
  }

  void Take(const std::string& topic, const std::string& payload) {
    const auto document = nlohmann::json::parse(payload, nullptr, false);
    if (!document.is_object() || !document.contains("seq")) return;
    const int64_t seq = document["seq"].get<int64_t>();
    const std::lock_guard lock(mutex);
    auto& topicSeen = seen[topic];
    if (topicSeen.contains(seq)) {
      ++repeats;
      return;
    }
    if (!topicSeen.empty() && seq < *topicSeen.rbegin()) ++outOfOrder;
    topicSeen.insert(seq);
    const auto now = std::chrono::steady_clock::now();
    firstAndLast.try_emplace(topic, now, now).first->second.second = now;
    ++taken;
    latencyMs += static_cast<double>(NowMsSinceEpoch() - document["time_ms"].get<int64_t>());
  }
};

pid_t StartGateway(const std::string& config) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execl(LUM_GATEWAY_PATH, LUM_GATEWAY_PATH, "--config", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// Its CPU time (user and system) in seconds, once it ended.
double StopGateway(pid_t pid) {
  kill(pid, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string WriteConfig(const std::filesystem::path& dir, int gateway, int port,
                        const std::vector<sim::Controller*>& controllers) {
  const std::string name = "g" + std::to_string(gateway);
  const auto config = dir / (name + ".ini");
  std::ofstream out(config);
  out << "[Broker]\nPort=" << port << "\n[Gateway]\nPrefix=fleet/" << name
      << "\nIntervalMs=1000\nRetryMs=1000\nDatabase=" << (dir / (name + ".db")).string()
      << "\nDataFolder=" << (dir / name).string() << "\n[Ports]\n";
  for (int c = 0; c < kControllersPerGateway; ++c)
    out << "COM" << c + 1 << "=" << controllers[static_cast<size_t>(gateway * kControllersPerGateway + c)]->Path()
        << "\n";
  return config.string();
}

// Polls recorded by a gateway that neither arrived nor wait in its backlog.
int64_t Lost(const std::string& database, const gateway::Topics& topics, Arrivals& arrivals) {
  auto db = store::OpenDatabase(database);
  store::Recordings recordings(*db);
  std::map<std::string, int64_t> recorded;
  for (const auto& recording : recordings.List()) recorded[topics.State(recording.serial)] += recording.polls;
  std::map<std::string, std::set<int64_t>> delivered;
  for (const auto& entry : gateway::Backlog(*db, INT64_MAX).After(0, SIZE_MAX))
    delivered[entry.topic].insert(entry.sequence);
  int64_t lost = 0;
  const std::lock_guard lock(arrivals.mutex);
  for (const auto& [topic, polls] : recorded) {
    auto& all = delivered[topic];
    all.insert(arrivals.seen[topic].begin(), arrivals.seen[topic].end());
    lost += polls - static_cast<int64_t>(all.size());
  }
  return lost;
}

void BM_GatewayFleetThroughABrokerRestart(benchmark::State& state) {
  const int gateways = static_cast<int>(state.range(0));
  const int controllerCount = gateways * kControllersPerGateway;
  Arrivals arrivals;
  double wallSeconds = 0, cpuSeconds = 0;
  int64_t lost = 0;
  for (auto _ : state) {
    MosquittoBroker broker;
    ScratchDir dir;
    sim::Simulator simulator;
    std::vector<sim::Controller*> controllers;
    for (int i = 0; i < controllerCount; ++i) {
      sim::ControllerSetup setup = sim::DefaultSetup(0);
      setup.serialNumber = kFirstSerial + static_cast<uint32_t>(i);
      controllers.push_back(&simulator.AddController(setup));
    }
    simulator.Start();
    gateway::MqttClient subscriber(
        gateway::BrokerSettings{.port = broker.Port(), .clientId = "fleet-subscriber"}, {"fleet/sub", "gone"},
        {nullptr, nullptr, nullptr, [&](const std::string& t, const std::string& p) { arrivals.Take(t, p); }});
    subscriber.Subscribe("fleet/+/+/state");
    subscriber.Start();
    std::vector<pid_t> fleet;
    for (int g = 0; g < gateways; ++g)
      fleet.push_back(StartGateway(WriteConfig(dir.path(), g, broker.Port(), controllers)));
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kHalf);
    broker.Stop();
    std::this_thread::sleep_for(kBrokerAway);
    broker.Start();
    std::this_thread::sleep_for(kHalf);
    for (const pid_t pid : fleet) cpuSeconds += StopGateway(pid);
    wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(kSettle);
    for (int g = 0; g < gateways; ++g)
      lost += Lost((dir.path() / ("g" + std::to_string(g) + ".db")).string(),
                   gateway::Topics("fleet/g" + std::to_string(g)), arrivals);
  }
  const std::lock_guard lock(arrivals.mutex);
  state.counters["controllers"] = controllerCount;
  state.counters["arrived_once"] = static_cast<double>(arrivals.taken);
  state.counters["messages_per_s"] = static_cast<double>(arrivals.taken) / wallSeconds;
  state.counters["polls_per_controller_s"] = arrivals.PollsPerControllerSecond();
  state.counters["latency_ms"] = arrivals.latencyMs / static_cast<double>(std::max<int64_t>(arrivals.taken, 1));
  state.counters["cpu_pct_per_controller"] = 100.0 * cpuSeconds / wallSeconds / controllerCount;
  state.counters["repeats_dropped"] = static_cast<double>(arrivals.repeats);
  state.counters["out_of_order"] = static_cast<double>(arrivals.outOfOrder);
  state.counters["lost"] = static_cast<double>(lost);
  if (lost != 0 || arrivals.outOfOrder != 0) state.SkipWithError("a poll was lost or came out of order");
}
BENCHMARK(BM_GatewayFleetThroughABrokerRestart)
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->Arg(20)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

}  // namespace lum::bench
