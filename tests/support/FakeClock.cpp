#include "support/FakeClock.h"

namespace lum::test {

void FakeClock::SleepMs(unsigned ms) {
  now_ += ms;
  total_ += ms;
  sleeps_.push_back(ms);
  if (hook_) hook_(ms);
}

}  // namespace lum::test
