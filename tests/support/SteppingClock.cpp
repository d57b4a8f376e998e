#include "support/SteppingClock.h"

#include <thread>

namespace lum::test {

namespace {
// Long enough that a port thread looking at an empty line does not take a processor core.
constexpr std::chrono::milliseconds kRealStep{2};
}  // namespace

void SteppingClock::SleepMs(unsigned ms) {
  std::this_thread::sleep_for(kRealStep);
  {
    std::lock_guard lock(mutex_);
    now_ += ms;
    ++waits_;
  }
  stepped_.notify_all();
}

uint64_t SteppingClock::NowMs() {
  std::lock_guard lock(mutex_);
  return now_;
}

uint64_t SteppingClock::Waits() {
  std::lock_guard lock(mutex_);
  return waits_;
}

bool SteppingClock::WaitForWaits(uint64_t count, std::chrono::seconds patience) {
  std::unique_lock lock(mutex_);
  return stepped_.wait_for(lock, patience, [&] { return waits_ >= count; });
}

}  // namespace lum::test
