#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/SerialPort.h"

namespace lum::test {

/// Forwards to a port the test keeps: code that owns and closes its port gets this view,
/// and the test can still inspect the port afterwards.
class PortView : public SerialPort {
 public:
  explicit PortView(SerialPort& port) : port_(port) {}
  bool Status(PortStatus& status) override { return port_.Status(status); }
  bool Write(const uint8_t* data, size_t length) override { return port_.Write(data, length); }
  size_t Read(uint8_t* buffer, size_t length) override { return port_.Read(buffer, length); }
  void PurgeReceive() override { port_.PurgeReceive(); }
  std::string LastError() const override { return port_.LastError(); }
  const std::string& Path() const override { return port_.Path(); }

 private:
  SerialPort& port_;
};

}  // namespace lum::test
