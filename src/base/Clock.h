#pragma once

#include <cstdint>

namespace lum {

/// Every fixed wait of the link and the loader dialogue goes through a Clock, so that
/// algorithm tests run instantly with a fake one.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void SleepMs(unsigned ms) = 0;
  /// Monotonic milliseconds, for measuring only.
  virtual uint64_t NowMs() = 0;
};

/// The real clock (std::this_thread::sleep_for).
Clock& SystemClock();

}  // namespace lum
