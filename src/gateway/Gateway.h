#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gateway/AlarmSensors.h"
#include "gateway/Backlog.h"
#include "gateway/BacklogSender.h"
#include "gateway/GatewaySettings.h"
#include "gateway/MqttClient.h"
#include "gateway/PortWatch.h"
#include "gateway/Topics.h"
#include "store/Database.h"
#include "store/RecordStore.h"
#include "store/Recordings.h"

namespace lum::gateway {

/// The gateway: watches the ports of its settings, reads each controller found once and
/// publishes its discovery documents, its configuration and its availability (retained),
/// then polls it at the interval, keeps every poll in the recordings and sends it through the
/// backlog. A controller that stops answering goes offline and its port is looked at again
/// at the retry pace. With remote changes on, commands on the command topics are checked and
/// written with verification (RemoteWrite). Now and then the recorded nights of each
/// controller are checked for alarms (AlarmWatch). Everything but the MQTT client's network thread
/// runs on the thread that calls Run.
class Gateway {
 public:
  /// Commands waiting beyond this many are dropped unread: a flood cannot grow the queue.
  static constexpr size_t kMaxWaitingCommands = 64;

  /// Opens the database and the records; throws store::DatabaseError or MqttError.
  Gateway(GatewaySettings settings, const PortMap& ports, GatewayLog log);
  ~Gateway();
  Gateway(const Gateway&) = delete;
  Gateway& operator=(const Gateway&) = delete;

  /// Runs until `stop` is set, then publishes "offline" for the gateway and its controllers
  /// (retained) and waits a moment for the broker to take it. Unsent polls stay in the backlog.
  void Run(const std::atomic<bool>& stop);

 private:
  struct Controller {
    TDEVICE_CONFIG read;  // as last read completely
    ControllerIdentity identity;
    int64_t recording = 0;
    bool online = false;
  };
  struct Port {
    std::unique_ptr<PortWatch> watch;
    std::vector<Controller> controllers;
    int64_t nextLookMs = 0;
  };

  void OnConnection(bool connected);
  void OnAcknowledged(int messageId);
  void OnMessage(const std::string& topic, const std::string& payload);

  void Tick(int64_t nowMs);
  void Look(Port& port, int64_t nowMs);
  void PollPorts(const std::vector<Port*>& ports, int64_t nowMs);
  void Keep(const Controller& controller, const PollSample& sample);
  void SetOnline(Controller& controller, bool online);
  void Announce(const Controller& controller);
  void AnnounceAll();
  /// Publishes each controller's open alarms from its recorded nights, and those newly open.
  void CheckAlarms();
  std::optional<int> PublishRetained(const std::string& topic, const std::string& payload);
  void Send(const std::string& topic, nlohmann::ordered_json document);
  void HandleCommands();
  void HandleCommand(const std::string& topic, const std::string& payload);
  void ApplyAndReport(Port& port, Controller& controller, const TCONFIG_BLOCK& wanted);
  void PublishOffline();

  GatewaySettings settings_;
  Topics topics_;
  GatewayLog log_;
  std::unique_ptr<store::Database> db_;
  Backlog backlog_;
  store::Recordings recordings_;
  store::RecordStore records_;
  std::vector<Port> ports_;
  std::atomic<bool> announce_{false};
  AlarmWatch alarms_;

  std::mutex mutex_;  // guards what the network thread hands over
  std::condition_variable woken_;
  std::deque<std::pair<std::string, std::string>> commands_;
  std::set<int> acknowledged_;
  bool connected_ = false;

  std::unique_ptr<BacklogSender> sender_;
  // Last: its network thread calls back into the members above until it is gone.
  std::unique_ptr<MqttClient> client_;
};

}  // namespace lum::gateway
