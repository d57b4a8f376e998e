#include "device/JobThread.h"

#include <utility>

namespace lum {

JobThread::JobThread(std::function<void()> finished, Failed failed)
    : finished_(std::move(finished)), failed_(std::move(failed)), thread_([this] { Run(); }) {}

JobThread::~JobThread() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    pending_ -= jobs_.size();
    jobs_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

void JobThread::Push(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    ++pending_;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_all();
}

void JobThread::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    // Nothing a job throws may leave the thread: that would end the whole process.
    try {
      job();
    } catch (...) {
      if (failed_) failed_(std::current_exception());
    }
    --pending_;
    if (finished_) finished_();
  }
}

}  // namespace lum
