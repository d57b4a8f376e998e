#include "support/MqttSubscriber.h"

namespace lum {

MqttSubscriber::MqttSubscriber(const std::string& topic, const gateway::BrokerSettings& settings) {
  client_ = std::make_unique<gateway::MqttClient>(
      settings, gateway::LastWill{"test/will", "gone"},
      gateway::MqttHandlers{
          [this](bool up) { Set([&] { connected_ = up; }); },
          [this](const std::string& reason) { Set([&] { refusal_ = reason; }); }, nullptr,
          [this](const std::string& t, const std::string& p) { Set([&] { messages_.emplace_back(t, p); }); }});
  client_->Subscribe(topic);
  client_->Start();
}

gateway::BrokerSettings MqttSubscriber::Plain(int port, const std::string& clientId) {
  gateway::BrokerSettings settings;
  settings.port = port;
  settings.clientId = clientId;
  return settings;
}

template <typename F>
void MqttSubscriber::Set(F change) {
  {
    const std::lock_guard lock(mutex_);
    change();
  }
  changed_.notify_all();
}

bool MqttSubscriber::WaitConnected(bool up) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kWait, [&] { return connected_ == up; });
}

std::string MqttSubscriber::WaitRefusal() {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kWait, [&] { return !refusal_.empty(); });
  return refusal_;
}

std::vector<MqttSubscriber::Message> MqttSubscriber::WaitMessages(size_t count) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kWait, [&] { return messages_.size() >= count; });
  return messages_;
}

std::vector<std::string> MqttSubscriber::On(const std::string& topic) const {
  std::vector<std::string> payloads;
  for (const auto& [t, payload] : messages_)
    if (t == topic) payloads.push_back(payload);
  return payloads;
}

std::vector<std::string> MqttSubscriber::WaitOn(const std::string& topic, size_t count) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kWait, [&] { return On(topic).size() >= count; });
  return On(topic);
}

bool MqttSubscriber::WaitFor(const std::string& topic, const std::string& payload) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kWait, [&] {
    const auto payloads = On(topic);
    return !payloads.empty() && payloads.back() == payload;
  });
}

}  // namespace lum
