#include "device/EventQueue.h"

#include <utility>

namespace lum {

void EventQueue::SetWake(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

void EventQueue::Post(Event event) {
  {
    std::lock_guard lock(mutex_);
    const bool wasEmpty = events_.empty();
    events_.push_back(std::move(event));
    // Under the lock, so that a cleared wake is never called afterwards.
    if (wasEmpty && wake_) wake_();
  }
  changed_.notify_all();
}

size_t EventQueue::Drain() {
  size_t ran = 0;
  for (;;) {
    Event event;
    {
      std::lock_guard lock(mutex_);
      if (events_.empty()) return ran;
      event = std::move(events_.front());
      events_.pop_front();
    }
    event();
    ++ran;
  }
}

void EventQueue::WaitForEventOr(const std::function<bool()>& ready) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !events_.empty() || ready(); });
}

void EventQueue::Notify() {
  { std::lock_guard lock(mutex_); }
  changed_.notify_all();
}

}  // namespace lum
