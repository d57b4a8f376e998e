#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "language/ProfileFile.h"
#include "nights/ThresholdSettings.h"

namespace lum::gateway {

/// Where the gateway publishes and how it proves who it is.
struct BrokerSettings {
  static constexpr int kDefaultPort = 1883;
  static constexpr int kDefaultKeepAliveSeconds = 30;
  std::string host = "127.0.0.1";
  int port = kDefaultPort;
  std::string clientId;  // empty: "lum-gateway-<prefix>"
  std::string username;  // empty: no login
  std::string password;
  std::string caFile;    // non-empty: TLS, the broker's certificate checked against it
  std::string certFile;  // a client certificate with its key, for brokers that ask for one
  std::string keyFile;
  int keepAliveSeconds = kDefaultKeepAliveSeconds;
  bool Tls() const { return !caFile.empty(); }
};

/// The settings of one gateway: gateway.ini's [Broker] and [Gateway] sections. Its [Ports]
/// and [Bus] sections name the ports as LUM.INI does.
struct GatewaySettings {
  static constexpr char kBrokerSection[] = "Broker";
  static constexpr char kGatewaySection[] = "Gateway";
  static constexpr int kDefaultIntervalMs = 1000;
  static constexpr int kMinIntervalMs = 100;
  static constexpr int64_t kDefaultBacklogLimit = 100000;
  static constexpr int kDefaultRetryMs = 5000;
  static constexpr int kDefaultAlarmCheckSeconds = 3600;
  BrokerSettings broker;
  std::string prefix = "lum";                     // every topic of this gateway lies below it
  std::string discoveryPrefix = "homeassistant";  // Home Assistant's discovery topics
  int intervalMs = kDefaultIntervalMs;            // between two polls of a controller
  bool remoteChanges = false;                     // the command topics are taken only when on
  int64_t backlogLimit = kDefaultBacklogLimit;    // unsent polls kept; older ones are dropped and counted
  std::string database = "gateway.db";            // the recordings' and backlog's SQLite file
  int retryMs = kDefaultRetryMs;                  // between two looks at a port without a controller
  std::string records;           // remote changes' records: SQLite file or postgresql:// URL; empty: the database
  std::string dataFolder = ".";  // backups/ of every configuration read, the records' spool
  int alarmCheckSeconds = kDefaultAlarmCheckSeconds;  // between two checks of the recorded nights
  ProfileFile file;  // as read: its [Nights] and [Nights <serial>] sections hold the alarms' thresholds
};

/// The settings a profile holds. A value that cannot be taken is named in `errors` and its
/// default stays; a prefix with MQTT wildcards or an empty one is such a value, and so is a
/// threshold of [Nights] (those of [Nights <serial>] are named when that controller is met).
GatewaySettings ParseGatewaySettings(const ProfileFile& profile, std::vector<std::string>& errors);

/// A section of a settings file as the thresholds read it: empty when missing.
nights::SettingEntries NightsSection(const ProfileFile& profile, const std::string& section);
/// The alarms' thresholds of one controller. Throws std::invalid_argument naming the bad key.
nights::Thresholds ThresholdsOf(const GatewaySettings& settings, const std::string& serial);

/// True for a topic level part that holds no MQTT wildcard or empty level: "lum/site-1".
bool IsPlainTopic(const std::string& topic);

}  // namespace lum::gateway
