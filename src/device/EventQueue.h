#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace lum {

/// Events that a session's worker thread hands to the thread that owns the session. Posting
/// is safe from any thread; the events run, in the order posted, on whichever thread drains
/// the queue. A window drains it from its event loop when woken; lumctl drains it while it
/// waits for an operation to end.
class EventQueue {
 public:
  using Event = std::function<void()>;

  /// Called on the posting thread whenever an event is posted to an empty queue, so that the
  /// owner can schedule a drain (a window posts itself a queued call). Never called again
  /// once this returns after being given an empty function.
  void SetWake(std::function<void()> wake);

  void Post(Event event);
  /// Runs the waiting events one by one, including those posted meanwhile, until none is
  /// left. Returns how many ran. An event may itself drain (a nested event loop) safely.
  size_t Drain();
  /// Blocks until an event is waiting or `ready` holds; `ready` is checked again after every
  /// Post and Notify.
  void WaitForEventOr(const std::function<bool()>& ready);
  /// Wakes WaitForEventOr to look at its condition again.
  void Notify();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Event> events_;
  std::function<void()> wake_;
};

}  // namespace lum
