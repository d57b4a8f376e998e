#include "gateway/MqttClient.h"

#include <fmt/format.h>
#include <mosquitto.h>

#include <mutex>

namespace lum::gateway {

namespace {

constexpr unsigned kReconnectDelayMinSeconds = 1;
constexpr unsigned kReconnectDelayMaxSeconds = 30;

void Check(int result, const char* what) {
  if (result != MOSQ_ERR_SUCCESS) throw MqttError(fmt::format("{}: {}", what, mosquitto_strerror(result)));
}

void InitialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

MqttClient::MqttClient(const BrokerSettings& broker, const LastWill& will, MqttHandlers handlers)
    : broker_(broker), handlers_(std::move(handlers)) {
  InitialiseLibrary();
  client_ = mosquitto_new(broker.clientId.c_str(), true, this);
  if (client_ == nullptr) throw MqttError("mosquitto_new: out of memory");
  try {
    Configure(broker, will);
  } catch (...) {
    mosquitto_destroy(client_);
    throw;
  }
}

void MqttClient::Configure(const BrokerSettings& broker, const LastWill& will) {
  Check(mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311), "protocol");
  // A listener that publishes nothing leaves no will.
  if (!will.topic.empty()) {
    Check(mosquitto_will_set(client_, will.topic.c_str(), static_cast<int>(will.payload.size()), will.payload.data(),
                             kAtLeastOnce, true),
          "last will");
  }
  if (!broker.username.empty()) {
    Check(mosquitto_username_pw_set(client_, broker.username.c_str(), OrNull(broker.password)), "login");
  }
  if (broker.Tls()) {
    Check(mosquitto_tls_set(client_, broker.caFile.c_str(), nullptr, OrNull(broker.certFile), OrNull(broker.keyFile),
                            nullptr),
          "TLS");
  }
  Check(mosquitto_reconnect_delay_set(client_, kReconnectDelayMinSeconds, kReconnectDelayMaxSeconds, true),
        "reconnect delay");
  mosquitto_connect_callback_set(client_, &MqttClient::OnConnect);
  mosquitto_disconnect_callback_set(client_, &MqttClient::OnDisconnect);
  mosquitto_publish_callback_set(client_, [](mosquitto*, void* self, int messageId) {
    auto* me = static_cast<MqttClient*>(self);
    if (me->handlers_.acknowledged) me->handlers_.acknowledged(messageId);
  });
  mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message* message) {
    auto* me = static_cast<MqttClient*>(self);
    if (!me->handlers_.message) return;
    me->handlers_.message(message->topic, std::string(static_cast<const char*>(message->payload),
                                                      static_cast<size_t>(message->payloadlen)));
  });
}

MqttClient::~MqttClient() {
  if (started_) {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
  }
  mosquitto_destroy(client_);
}

void MqttClient::Start() {
  Check(mosquitto_connect_async(client_, broker_.host.c_str(), broker_.port, broker_.keepAliveSeconds), "connect");
  Check(mosquitto_loop_start(client_), "network thread");
  started_ = true;
}

std::optional<int> MqttClient::Publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
  int messageId = 0;
  const int result = mosquitto_publish(client_, &messageId, topic.c_str(), static_cast<int>(payload.size()),
                                       payload.data(), qos, retain);
  if (result != MOSQ_ERR_SUCCESS) return std::nullopt;
  return messageId;
}

void MqttClient::OnConnect(mosquitto* client, void* self, int result) {
  auto* me = static_cast<MqttClient*>(self);
  if (result != 0) {
    if (me->handlers_.refused) me->handlers_.refused(mosquitto_connack_string(result));
    return;
  }
  if (!me->subscription_.empty()) mosquitto_subscribe(client, nullptr, me->subscription_.c_str(), kAtLeastOnce);
  if (me->handlers_.connection) me->handlers_.connection(true);
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int) {
  auto* me = static_cast<MqttClient*>(self);
  if (me->handlers_.connection) me->handlers_.connection(false);
}

}  // namespace lum::gateway
