#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "base/Clock.h"

namespace lum::test {

/// A clock for code that waits on several threads while it talks to real lines: a wait takes a
/// moment of real time (so that a looping thread leaves the others the processor) and moves the
/// clock on by all its length. Tests wait on the waits instead of sleeping.
class SteppingClock : public Clock {
 public:
  void SleepMs(unsigned ms) override;
  uint64_t NowMs() override;

  /// Waits ended so far.
  uint64_t Waits();
  /// Blocks until `count` waits have ended; false when `patience` of real time ran out.
  bool WaitForWaits(uint64_t count, std::chrono::seconds patience = std::chrono::seconds(60));

 private:
  std::mutex mutex_;
  std::condition_variable stepped_;
  uint64_t now_ = 0;
  uint64_t waits_ = 0;
};

}  // namespace lum::test
