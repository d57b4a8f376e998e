#include "support/ScriptedPort.h"

namespace lum::test {

ScriptedPort::ScriptedPort(std::string path) : MemoryPort(std::move(path)) {}

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
  if (Waiting() == 0 && !pending_.empty()) {
    Arrive(pending_.front().data(), pending_.front().size());
    pending_.pop_front();
  }
  MemoryPort::Status(status);
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

void ScriptedPort::PurgeReceive() {
  ++purges_;
  MemoryPort::PurgeReceive();
}

}  // namespace lum::test
