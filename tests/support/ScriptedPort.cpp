#include "support/ScriptedPort.h"

#include <algorithm>

namespace lum::test {

ScriptedPort::ScriptedPort(std::string path) : path_(std::move(path)) {}

void ScriptedPort::Deliver(Bytes chunk) { pending_.push_back(std::move(chunk)); }

void ScriptedPort::OnWrite(std::function<std::vector<Bytes>(int, const Bytes&)> responder) {
  responder_ = std::move(responder);
}

void ScriptedPort::ReportLineErrors(uint32_t mask, int times, uint32_t outQueue) {
  error_mask_ = mask;
  error_times_ = times;
  error_out_queue_ = outQueue;
}

bool ScriptedPort::Status(PortStatus& status) {
  ++status_calls_;
  status = PortStatus{};
  if (fail_status_) {
    last_error_ = kStatusErrorText;
    return false;
  }
  if (waiting_.empty() && !pending_.empty()) {
    waiting_.insert(waiting_.end(), pending_.front().begin(), pending_.front().end());
    pending_.pop_front();
  }
  status.inQueue = static_cast<uint32_t>(waiting_.size());
  if (error_times_ > 0) {
    --error_times_;
    status.errors = error_mask_;
    status.outQueue = error_out_queue_;
  }
  return true;
}

bool ScriptedPort::Write(const uint8_t* data, size_t length) {
  if (fail_writes_) {
    last_error_ = kWriteErrorText;
    return false;
  }
  written_.emplace_back(data, data + length);
  if (responder_)
    for (auto& chunk : responder_(static_cast<int>(written_.size()), written_.back())) Deliver(std::move(chunk));
  return true;
}

size_t ScriptedPort::Read(uint8_t* buffer, size_t length) {
  const size_t count = std::min(length, waiting_.size());
  std::copy_n(waiting_.begin(), count, buffer);
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
  return count;
}

void ScriptedPort::PurgeReceive() {
  ++purges_;
  waiting_.clear();
}

}  // namespace lum::test
