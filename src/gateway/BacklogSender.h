#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "gateway/Backlog.h"
#include "gateway/MqttClient.h"

namespace lum::gateway {

/// Sends the backlog in sequence order with QoS 1 while the broker is there, a bounded number
/// in flight, and removes each message once its PUBACK came. After a lost connection every
/// unacknowledged message is sent again, from the oldest: a subscriber that drops sequence
/// numbers it has seen gets each message once, in order.
class BacklogSender {
 public:
  static constexpr size_t kInFlight = 64;

  BacklogSender(Backlog& backlog, MqttClient& client) : backlog_(backlog), client_(client) {}

  /// From the client's network thread.
  void OnConnection(bool connected);
  void OnAcknowledged(int messageId);

  /// On the backlog's own thread: forgets what was acknowledged and sends what waits.
  void Pump();
  bool Connected() const;

 private:
  Backlog& backlog_;
  MqttClient& client_;
  mutable std::mutex mutex_;
  bool connected_ = false;
  std::map<int, int64_t> in_flight_;  // message id -> sequence
  std::vector<int64_t> acknowledged_;
  int64_t sent_up_to_ = 0;  // the last sequence handed to the client since the connection began
};

}  // namespace lum::gateway
