#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "link/SerialPort.h"

namespace lum {

/// A SerialPort whose line is in memory: bytes put there with Arrive wait in the receive
/// queue until read or purged. What is written is up to the subclass, so that scripted
/// answers, simulated controllers and replayed traffic all drive the link through the same
/// queue counts as a real port.
class MemoryPort : public SerialPort {
 public:
  explicit MemoryPort(std::string path) : path_(std::move(path)) {}

  /// Bytes that came in on the line.
  void Arrive(const uint8_t* data, size_t length) { waiting_.insert(waiting_.end(), data, data + length); }
  /// Bytes waiting in the receive queue.
  size_t Waiting() const { return waiting_.size(); }

  /// Reports the bytes waiting; never fails and reports no line errors.
  bool Status(PortStatus& status) override;
  size_t Read(uint8_t* buffer, size_t length) override;
  void PurgeReceive() override { waiting_.clear(); }
  std::string LastError() const override { return {}; }
  const std::string& Path() const override { return path_; }

 private:
  std::string path_;
  std::deque<uint8_t> waiting_;
};

}  // namespace lum
