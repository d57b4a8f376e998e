#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/MemoryPort.h"
#include "support/LineBytes.h"

namespace lum::test {

/// A SerialPort whose incoming bytes follow a script. Bytes arrive in chunks: a chunk
/// becomes waiting at the first status call after the previous chunk was read completely,
/// so each ReceiveFrames call sees exactly one chunk. Everything written is recorded.
class ScriptedPort : public MemoryPort {
 public:
  explicit ScriptedPort(std::string path = "scripted");

  /// Queues chunks of incoming bytes.
  void Deliver(Bytes chunk);
  /// Called on every write with its 1-based number and the bytes; returns the chunks that
  /// arrive in answer (none to stay silent).
  void OnWrite(std::function<std::vector<Bytes>(int writeNumber, const Bytes& written)> responder);
  /// The next `times` status calls report this line-error mask (each call clears it) and
  /// `outQueue` bytes not yet sent.
  void ReportLineErrors(uint32_t mask, int times = 1, uint32_t outQueue = 0);
  /// Status calls fail while set.
  void FailStatus(bool fail) { fail_status_ = fail; }
  /// Writes fail while set (nothing is recorded then).
  void FailWrites(bool fail) { fail_writes_ = fail; }

  const std::vector<Bytes>& Written() const { return written_; }
  int PurgeCount() const { return purges_; }
  int StatusCalls() const { return status_calls_; }

  bool Status(PortStatus& status) override;
  bool Write(const uint8_t* data, size_t length) override;
  void PurgeReceive() override;
  std::string LastError() const override { return last_error_; }

  static constexpr const char* kStatusErrorText = "scripted status failure";
  static constexpr const char* kWriteErrorText = "scripted write failure";

 private:
  std::deque<Bytes> pending_;
  std::function<std::vector<Bytes>(int, const Bytes&)> responder_;
  uint32_t error_mask_ = 0;
  int error_times_ = 0;
  uint32_t error_out_queue_ = 0;
  bool fail_status_ = false;
  bool fail_writes_ = false;
  std::vector<Bytes> written_;
  int purges_ = 0;
  int status_calls_ = 0;
  std::string last_error_ = "Success";
};

}  // namespace lum::test
