#include "gateway/Gateway.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "data/ConfigJson.h"
#include "data/PollSample.h"
#include "gateway/RemoteChange.h"
#include "gateway/RemoteWrite.h"

namespace lum::gateway {

namespace {

// How soon a stop, a command or an acknowledgement is seen between two ticks.
constexpr auto kSlice = std::chrono::milliseconds(20);
// How long the last "offline" may take to reach the broker at a stop.
constexpr auto kOfflineWait = std::chrono::seconds(3);
constexpr char kSpoolFile[] = "records-spool.db";
constexpr int64_t kMsPerSecond = 1000;

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string RecordsTarget(const GatewaySettings& settings) {
  return settings.records.empty() ? settings.database : settings.records;
}

std::string SpoolPath(const GatewaySettings& settings) {
  return (std::filesystem::path(settings.dataFolder) / kSpoolFile).string();
}

}  // namespace

Gateway::Gateway(GatewaySettings settings, const PortMap& ports, GatewayLog log)
    : settings_(std::move(settings)),
      topics_(settings_.prefix),
      log_(std::move(log)),
      db_(store::OpenDatabase(settings_.database)),
      backlog_(*db_, settings_.backlogLimit),
      recordings_(*db_),
      records_(RecordsTarget(settings_), SpoolPath(settings_)) {
  for (int n = kFirstComPort; n <= kLastComPort; ++n)
    if (ports.PathOf(n)) ports_.push_back({std::make_unique<PortWatch>(n, ports, log_), {}, 0});
  client_ = std::make_unique<MqttClient>(
      settings_.broker, LastWill{topics_.Status(), Topics::kOffline},
      MqttHandlers{[this](bool up) { OnConnection(up); },
                   [this](const std::string& reason) { log_("The broker refused the connection: " + reason); },
                   [this](int id) { OnAcknowledged(id); },
                   [this](const std::string& topic, const std::string& payload) { OnMessage(topic, payload); }});
  sender_ = std::make_unique<BacklogSender>(backlog_, *client_);
  if (settings_.remoteChanges) client_->Subscribe(topics_.AnyCommand());
}

Gateway::~Gateway() = default;

void Gateway::OnConnection(bool connected) {
  sender_->OnConnection(connected);
  {
    const std::lock_guard lock(mutex_);
    connected_ = connected;
  }
  // A broker that restarted without keeping retained messages has them again.
  if (connected) announce_ = true;
  woken_.notify_all();
}

void Gateway::OnAcknowledged(int messageId) {
  sender_->OnAcknowledged(messageId);
  {
    const std::lock_guard lock(mutex_);
    acknowledged_.insert(messageId);
  }
  woken_.notify_all();
}

void Gateway::OnMessage(const std::string& topic, const std::string& payload) {
  {
    const std::lock_guard lock(mutex_);
    if (commands_.size() >= kMaxWaitingCommands) return;
    commands_.emplace_back(topic, payload);
  }
  woken_.notify_all();
}

void Gateway::Run(const std::atomic<bool>& stop) {
  client_->Start();
  int64_t nextTick = NowMs();
  int64_t nextAlarmCheck = 0;
  while (!stop) {
    if (announce_.exchange(false)) AnnounceAll();
    HandleCommands();
    const int64_t now = NowMs();
    if (now >= nextTick) {
      nextTick = now + settings_.intervalMs;
      Tick(now);
    }
    // The first check waits a whole period: a gateway just started has no nights to tell of.
    if (now >= nextAlarmCheck) {
      if (nextAlarmCheck != 0) CheckAlarms();
      nextAlarmCheck = now + int64_t{settings_.alarmCheckSeconds} * kMsPerSecond;
    }
    sender_->Pump();
    std::unique_lock lock(mutex_);
    woken_.wait_for(lock, kSlice, [&] { return !commands_.empty() || !acknowledged_.empty(); });
    acknowledged_.clear();
  }
  PublishOffline();
}

void Gateway::Tick(int64_t nowMs) {
  std::vector<Port*> open;
  for (Port& port : ports_) {
    if (port.watch->MonitorOpen())
      open.push_back(&port);
    else if (nowMs >= port.nextLookMs)
      Look(port, nowMs);
  }
  PollPorts(open, nowMs);
}

void Gateway::Look(Port& port, int64_t nowMs) {
  port.nextLookMs = nowMs + settings_.retryMs;
  const PortRead read = port.watch->Read(settings_.dataFolder);
  if (read.controllers.empty()) {
    for (Controller& controller : port.controllers) SetOnline(controller, false);
    return;
  }
  if (!read.backedUp) log_(port.watch->Name() + ": a configuration read could not be backed up");
  for (Controller& old : port.controllers) SetOnline(old, false);
  port.controllers.clear();
  for (const TDEVICE_CONFIG& found : read.controllers) {
    Controller controller{found, IdentityOf(found), 0, false};
    try {
      controller.recording = recordings_.Start(controller.identity.serial);
    } catch (const store::DatabaseError& e) {
      log_(fmt::format("{}: the recording of {} cannot start: {}", port.watch->Name(), controller.identity.serial,
                       e.what()));
    }
    Announce(controller);
    port.controllers.push_back(std::move(controller));
  }
  if (!port.watch->OpenMonitor()) log_(port.watch->Name() + ": the port does not open for polling");
}

void Gateway::PollPorts(const std::vector<Port*>& ports, int64_t nowMs) {
  // Every port polls at once on its own thread, so that a round takes one poll's time, not
  // one per port; the controllers of a bus take their turns.
  std::vector<bool> anyAnswered(ports.size(), false);
  size_t turns = 0;
  for (const Port* port : ports) turns = std::max(turns, port->controllers.size());
  for (size_t turn = 0; turn < turns; ++turn) {
    for (Port* port : ports)
      if (turn < port->controllers.size()) port->watch->StartPoll(port->controllers[turn].read.BusAddress);
    for (size_t i = 0; i < ports.size(); ++i) {
      if (turn >= ports[i]->controllers.size()) continue;
      Controller& controller = ports[i]->controllers[turn];
      const auto sample = ports[i]->watch->FinishPoll();
      SetOnline(controller, sample.has_value());
      if (!sample) continue;
      anyAnswered[i] = true;
      Keep(controller, *sample);
    }
  }
  // A port where nothing answers is read afresh later: another controller may be there then.
  for (size_t i = 0; i < ports.size(); ++i) {
    if (anyAnswered[i]) continue;
    ports[i]->watch->CloseMonitor();
    ports[i]->nextLookMs = nowMs + settings_.retryMs;
  }
}

void Gateway::Keep(const Controller& controller, const PollSample& sample) {
  try {
    if (controller.recording != 0) recordings_.Add(controller.recording, {sample});
  } catch (const store::DatabaseError& e) {
    log_(fmt::format("{}: a poll was not recorded: {}", controller.identity.serial, e.what()));
  }
  Send(topics_.State(controller.identity.serial), PollDocument(0, sample));
}

void Gateway::Send(const std::string& topic, nlohmann::ordered_json document) {
  try {
    backlog_.Push(topic, [&document](int64_t sequence) {
      document["seq"] = sequence;
      return document.dump();
    });
  } catch (const store::DatabaseError& e) {
    log_(fmt::format("{}: not kept for the broker: {}", topic, e.what()));
  }
}

void Gateway::SetOnline(Controller& controller, bool online) {
  if (controller.online == online) return;
  controller.online = online;
  log_(fmt::format("{} {}", controller.identity.serial, online ? Topics::kOnline : Topics::kOffline));
  PublishRetained(topics_.Availability(controller.identity.serial), online ? Topics::kOnline : Topics::kOffline);
}

std::optional<int> Gateway::PublishRetained(const std::string& topic, const std::string& payload) {
  return client_->Publish(topic, payload, MqttClient::kAtLeastOnce, true);
}

void Gateway::Announce(const Controller& controller) {
  for (const auto& document : DiscoveryDocuments(settings_.discoveryPrefix, topics_, controller.identity))
    PublishRetained(document.topic, document.payload.dump());
  for (const auto& document : AlarmDocuments(settings_.discoveryPrefix, topics_, controller.identity))
    PublishRetained(document.topic, document.payload.dump());
  PublishRetained(topics_.Config(controller.identity.serial), BlockToJson(controller.read.Config).dump());
  PublishRetained(topics_.Availability(controller.identity.serial),
                  controller.online ? Topics::kOnline : Topics::kOffline);
}

void Gateway::CheckAlarms() {
  const int64_t now = NowMsSinceEpoch();
  for (const Port& port : ports_) {
    for (const Controller& controller : port.controllers) {
      const std::string& serial = controller.identity.serial;
      try {
        const AlarmCheck check =
            alarms_.Check(recordings_, serial, controller.read.Config, ThresholdsOf(settings_, serial), now);
        PublishRetained(topics_.Alarms(serial), check.state.dump());
        for (const auto& event : check.events)
          client_->Publish(topics_.Event(serial), event.dump(), MqttClient::kAtLeastOnce, false);
      } catch (const store::DatabaseError& e) {
        log_(fmt::format("{}: the nights were not checked: {}", serial, e.what()));
      } catch (const std::invalid_argument& e) {
        log_(fmt::format("{}: the nights were not checked: {}", serial, e.what()));
      }
    }
  }
}

void Gateway::AnnounceAll() {
  PublishRetained(topics_.Status(), Topics::kOnline);
  for (const Port& port : ports_)
    for (const Controller& controller : port.controllers) Announce(controller);
}

void Gateway::PublishOffline() {
  std::vector<int> sent;
  const auto offline = [&](const std::string& topic) {
    if (const auto id = PublishRetained(topic, Topics::kOffline)) sent.push_back(*id);
  };
  for (Port& port : ports_) {
    port.watch->CloseMonitor();
    for (const Controller& controller : port.controllers) offline(topics_.Availability(controller.identity.serial));
  }
  offline(topics_.Status());
  std::unique_lock lock(mutex_);
  woken_.wait_for(lock, kOfflineWait, [&] {
    if (!connected_) return true;
    for (const int id : sent)
      if (!acknowledged_.contains(id)) return false;
    return true;
  });
}

}  // namespace lum::gateway
