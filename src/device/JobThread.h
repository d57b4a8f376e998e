#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace lum {

/// A thread of its own that runs jobs one at a time, in the order they were given.
class JobThread {
 public:
  using Job = std::function<void()>;
  using Failed = std::function<void(std::exception_ptr)>;

  /// `finished` runs on the thread after every job, once Pending has counted it out. A job
  /// that throws ends there: `failed` gets what it threw (on the thread, before `finished`)
  /// and the next job runs.
  explicit JobThread(std::function<void()> finished, Failed failed = {});
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
  Failed failed_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::atomic<size_t> pending_ = 0;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once everything it uses exists
};

}  // namespace lum
