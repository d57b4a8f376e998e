#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace lum {

/// A thread of its own that runs jobs one at a time, in the order they were given.
class JobThread {
 public:
  using Job = std::function<void()>;

  /// `finished` runs on the thread after every job, once Pending has counted it out.
  explicit JobThread(std::function<void()> finished);
  /// Jobs not yet started are dropped; the running one ends first.
  ~JobThread();
  JobThread(const JobThread&) = delete;
  JobThread& operator=(const JobThread&) = delete;

  void Push(Job job);
  /// Jobs waiting or running.
  size_t Pending() const { return pending_; }

 private:
  void Run();

  std::function<void()> finished_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::atomic<size_t> pending_ = 0;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once everything it uses exists
};

}  // namespace lum
