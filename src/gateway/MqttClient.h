#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "gateway/GatewaySettings.h"

struct mosquitto;

namespace lum::gateway {

/// A broker that refused the settings or a request; what() is libmosquitto's word for it.
class MqttError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// What the client tells, on its own network thread.
struct MqttHandlers {
  std::function<void(bool connected)> connection;
  std::function<void(const std::string& reason)> refused;  // the broker's CONNACK said no
  std::function<void(int messageId)> acknowledged;         // a QoS 1 message's PUBACK
  std::function<void(const std::string& topic, const std::string& payload)> message;
};

/// The message the broker publishes for the client when its connection is lost; an empty
/// topic leaves none.
struct LastWill {
  std::string topic;
  std::string payload;
};

/// One MQTT connection through libmosquitto, run by its own thread: it connects in the
/// background and reconnects after a loss with a growing delay.
class MqttClient {
 public:
  static constexpr int kAtLeastOnce = 1;

  MqttClient(const BrokerSettings& broker, const LastWill& will, MqttHandlers handlers);
  ~MqttClient();
  MqttClient(const MqttClient&) = delete;
  MqttClient& operator=(const MqttClient&) = delete;

  /// Starts connecting; throws MqttError for settings libmosquitto refuses (a missing CA file).
  void Start();
  /// Queues a message; its id, or nullopt when the client cannot take it now.
  std::optional<int> Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
  /// The topic subscribed to at every connection; set before Start.
  void Subscribe(const std::string& topic) { subscription_ = topic; }

 private:
  static void OnConnect(mosquitto* client, void* self, int result);
  static void OnDisconnect(mosquitto* client, void* self, int result);
  void Configure(const BrokerSettings& broker, const LastWill& will);

  mosquitto* client_ = nullptr;
  BrokerSettings broker_;
  MqttHandlers handlers_;
  std::string subscription_;
  bool started_ = false;
};

}  // namespace lum::gateway
