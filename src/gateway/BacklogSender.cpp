#include "gateway/BacklogSender.h"

namespace lum::gateway {

void BacklogSender::OnConnection(bool connected) {
  const std::lock_guard lock(mutex_);
  connected_ = connected;
  // What was in flight is sent again from the oldest; acknowledgements of the lost
  // connection's message ids no longer name anything.
  in_flight_.clear();
  sent_up_to_ = 0;
}

void BacklogSender::OnAcknowledged(int messageId) {
  const std::lock_guard lock(mutex_);
  const auto found = in_flight_.find(messageId);
  if (found == in_flight_.end()) return;
  acknowledged_.push_back(found->second);
  in_flight_.erase(found);
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
    if (connected_ && in_flight_.size() < kInFlight) room = kInFlight - in_flight_.size();
    after = sent_up_to_;
  }
  for (const int64_t sequence : done) backlog_.Remove(sequence);
  if (room == 0) return;
  for (const auto& entry : backlog_.After(after, room)) {
    const std::lock_guard lock(mutex_);
    if (!connected_ || sent_up_to_ != after) return;  // the connection changed meanwhile
    const auto messageId = client_.Publish(entry.topic, entry.payload, MqttClient::kAtLeastOnce, false);
    if (!messageId) return;
    in_flight_[*messageId] = entry.sequence;
    sent_up_to_ = after = entry.sequence;
  }
}

}  // namespace lum::gateway
