#include "gateway/BacklogSender.h"

namespace lum::gateway {

void BacklogSender::OnConnection(bool connected) {
  const std::lock_guard lock(mutex_);
  connected_ = connected;
  // What was in flight is sent again from the oldest; acknowledgements of the lost
  // connection's message ids no longer name anything.
  inFlight_.clear();
  sentUpTo_ = 0;
}

void BacklogSender::OnAcknowledged(int messageId) {
  const std::lock_guard lock(mutex_);
  const auto found = inFlight_.find(messageId);
  if (found == inFlight_.end()) return;
  acknowledged_.push_back(found->second);
  inFlight_.erase(found);
}

bool BacklogSender::Connected() const {
  const std::lock_guard lock(mutex_);
  return connected_;
}

void BacklogSender::Pump() {
  std::vector<int64_t> done;
  int64_t after = 0;
  size_t room = 0;
  {
    const std::lock_guard lock(mutex_);
    done.swap(acknowledged_);
    if (connected_ && inFlight_.size() < kInFlight) room = kInFlight - inFlight_.size();
    after = sentUpTo_;
  }
  for (const int64_t sequence : done) backlog_.Remove(sequence);
  if (room == 0) return;
  for (const auto& entry : backlog_.After(after, room)) {
    const std::lock_guard lock(mutex_);
    if (!connected_ || sentUpTo_ != after) return;  // the connection changed meanwhile
    const auto messageId = client_.Publish(entry.topic, entry.payload, MqttClient::kAtLeastOnce, false);
    if (!messageId) return;
    inFlight_[*messageId] = entry.sequence;
    sentUpTo_ = after = entry.sequence;
  }
}

}  // namespace lum::gateway
