#include "base/Clock.h"

#include <chrono>
#include <thread>

namespace lum {

namespace {
class RealClock final : public Clock {
 public:
  void SleepMs(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  uint64_t NowMs() override {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  }
};
}  // namespace

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

}  // namespace lum
