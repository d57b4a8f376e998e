#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "gateway/MqttClient.h"

namespace lum {

/// A client of a test broker that records what comes on its subscription and whether it is
/// connected; every wait ends at the latest after kWait.
class MqttSubscriber {
 public:
  using Message = std::pair<std::string, std::string>;  // topic, payload
  static constexpr auto kWait = std::chrono::seconds(20);

  MqttSubscriber(const std::string& topic, const gateway::BrokerSettings& settings);
  /// A plain connection to 127.0.0.1:port as `clientId`.
  static gateway::BrokerSettings Plain(int port, const std::string& clientId);

  bool WaitConnected(bool up);
  std::string WaitRefusal();
  /// Every message so far, once at least `count` came (or the wait ran out).
  std::vector<Message> WaitMessages(size_t count);
  /// The payloads on `topic` so far, once at least `count` came there (or the wait ran out).
  std::vector<std::string> WaitOn(const std::string& topic, size_t count);
  /// The last payload on `topic`, once one equal to `payload` came (or the wait ran out).
  bool WaitFor(const std::string& topic, const std::string& payload);
  gateway::MqttClient& Client() { return *client_; }

 private:
  template <typename F>
  void Set(F change);
  std::vector<std::string> On(const std::string& topic) const;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool connected_ = false;
  std::string refusal_;
  std::vector<Message> messages_;
  std::unique_ptr<gateway::MqttClient> client_;
};

}  // namespace lum
