#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lum::gateway {

/// A value a controller's discovery documents announce: its key in the state documents.
struct FleetSensor {
  std::string key;
  std::string unit;
};

/// One poll as the fleet heard it: the poll's own time and the values it held.
struct FleetPoint {
  int64_t timeMs = 0;
  std::map<std::string, double> values;
};

/// A controller some gateway publishes, as far as the broker told of it.
struct FleetController {
  std::string site;  // the publishing gateway's topic prefix
  std::string serial;
  std::string model;
  std::string firmware;
  std::vector<FleetSensor> sensors;     // in the order their documents came
  std::map<std::string, bool> faults;   // a binary sensor's key: whether it is on
  std::optional<bool> available;        // its availability topic, once heard
  std::optional<int64_t> lastHeardMs;   // the listener's clock at its last poll
  std::optional<int64_t> lastSequence;  // repeats of a poll (QoS 1 may resend) are dropped
  std::deque<FleetPoint> history;       // the newest kHistoryLimit polls
};

/// What a listener to a broker learns of every LUM gateway on it: the controllers announced by
/// Home Assistant discovery documents, their polls, faults and availability, and each
/// gateway's own status. Messages are untrusted: what cannot be understood is counted and
/// changes nothing. Not thread-safe: one thread feeds and reads it.
class FleetRoster {
 public:
  static constexpr std::size_t kMaxPayload = 64 * 1024;
  static constexpr std::size_t kHistoryLimit = 3600;
  /// Availabilities heard before the document naming their topic (a retained one may come first).
  static constexpr std::size_t kPendingLimit = 100000;

  explicit FleetRoster(std::string discoveryPrefix) : discovery_prefix_(std::move(discoveryPrefix)) {}

  /// Takes one message heard at `heardMs`; false when it was for the roster but not understood.
  /// Messages on topics the roster has not learnt are passed over (true).
  bool Take(const std::string& topic, const std::string& payload, int64_t heardMs);

  /// The controllers heard of, by site and serial.
  std::vector<const FleetController*> Controllers() const;
  /// Whether a gateway's status said "online" last (nullopt: not heard).
  std::optional<bool> SiteOnline(const std::string& site) const;
  /// Whether the controller can be reached: its own availability and its gateway's status.
  bool Reachable(const FleetController& controller) const;
  int NotUnderstood() const { return not_understood_; }

 private:
  using Key = std::pair<std::string, std::string>;  // site, serial
  enum class RouteKind { State, Availability, Status };
  struct TopicRoute {
    RouteKind kind;
    Key controller;  // the site alone for a gateway's status
  };

  bool TakeDiscovery(const std::string& topic, const std::string& payload);
  bool TakeState(const Key& key, const std::string& payload, int64_t heardMs);
  bool Understood(bool understood);
  void LearnRoute(const std::string& topic, RouteKind kind, const Key& controller);
  void SetOnline(const TopicRoute& route, bool online);

  std::string discovery_prefix_;
  std::map<Key, FleetController> controllers_;
  std::map<std::string, TopicRoute> routes_;    // by topic
  std::map<std::string, bool> pending_online_;  // by topic, not routed yet
  std::map<std::string, bool> sites_online_;
  std::map<std::pair<Key, std::string>, std::string> payload_on_;  // a fault's "on" payload
  int not_understood_ = 0;
};

}  // namespace lum::gateway
