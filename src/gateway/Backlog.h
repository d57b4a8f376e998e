#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/Database.h"

namespace lum::gateway {

/// One message the broker has not yet acknowledged.
struct BacklogEntry {
  int64_t sequence = 0;  // grows with every message of the database, never reused
  std::string topic;
  std::string payload;
  bool operator==(const BacklogEntry&) const = default;
};

/// The messages that wait for the broker, kept in the database so that neither a broker away
/// nor a restart of the gateway loses one. At most `limit` wait: a new message beyond it drops
/// the oldest, and every dropped one is counted (the count survives restarts). A message is
/// removed only when the broker acknowledged it, so one may be sent twice, never lost between
/// the two; its sequence number lets a subscriber drop the second copy.
class Backlog {
 public:
  Backlog(store::Database& db, int64_t limit);

  /// Keeps a message whose payload `make` builds from its sequence number; returns the number.
  int64_t Push(const std::string& topic, const std::function<std::string(int64_t)>& make);
  /// Up to `count` waiting messages after sequence `after`, oldest first.
  std::vector<BacklogEntry> After(int64_t after, size_t count);
  /// Forgets an acknowledged message.
  void Remove(int64_t sequence);

  int64_t Size();
  int64_t Dropped();
  int64_t Limit() const { return limit_; }

 private:
  void DropBeyondLimit();
  store::Database& db_;
  int64_t limit_;
};

}  // namespace lum::gateway
