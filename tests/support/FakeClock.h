#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/Clock.h"

namespace lum::test {

/// A clock that never sleeps: every wait is recorded and moves NowMs forward.
class FakeClock : public Clock {
 public:
  void SleepMs(unsigned ms) override;
  uint64_t NowMs() override { return now_; }

  /// Sum of all waits so far.
  uint64_t TotalSleptMs() const { return total_; }
  /// Every wait in order.
  const std::vector<unsigned>& Sleeps() const { return sleeps_; }
  /// Called after every wait (lets a test make bytes "arrive" while the code waits).
  void OnSleep(std::function<void(unsigned ms)> hook) { hook_ = std::move(hook); }

 private:
  uint64_t now_ = 0;
  uint64_t total_ = 0;
  std::vector<unsigned> sleeps_;
  std::function<void(unsigned)> hook_;
};

}  // namespace lum::test
