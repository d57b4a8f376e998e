#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lum {

/// Bits of the line-error mask (the values the system has always used for them).
namespace line_error {
inline constexpr uint32_t kReceiveOverflow = 0x0001;  // input buffer overflow
inline constexpr uint32_t kOverrun = 0x0002;          // character lost by the UART
inline constexpr uint32_t kParity = 0x0004;
inline constexpr uint32_t kFraming = 0x0008;
inline constexpr uint32_t kBreak = 0x0010;
}  // namespace line_error

/// What the status call reports: pending line errors (cleared by the call) and the
/// bytes waiting in the receive and transmit queues.
struct PortStatus {
  uint32_t errors = 0;  // line_error bits
  uint32_t inQueue = 0;
  uint32_t outQueue = 0;
};

/// An open serial port. The frame protocol is built on the queue counts, so reads only
/// ever take bytes that are already waiting.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  /// Returns and clears the line errors and reports the queue counts; false when the
  /// call itself fails (LastError tells why).
  virtual bool Status(PortStatus& status) = 0;
  /// Sends the bytes in one call; false on failure.
  virtual bool Write(const uint8_t* data, size_t length) = 0;
  /// Reads at most `length` bytes that are waiting; never waits. Returns the count read
  /// (0 on failure; LastError tells why).
  virtual size_t Read(uint8_t* buffer, size_t length) = 0;
  /// Drops everything in the receive queue.
  virtual void PurgeReceive() = 0;
  /// The system's text for the last error of this port.
  virtual std::string LastError() const = 0;
  /// The device path the port was opened with.
  virtual const std::string& Path() const = 0;
};

/// Where "Error: %s" goes when the line settings cannot be applied, and whether it is shown.
class PortErrorSink {
 public:
  virtual ~PortErrorSink() = default;
  virtual bool ShowErrorDetails() const = 0;
  virtual void TraceLine(const std::string& line) = 0;
};

/// Opens a device path exclusively (a second open fails, even for root; a port another program
/// holds exclusively is refused, even for root), raw, 8N1 at `baud`, DTR and RTS raised where
/// the device has modem lines, no flow control, reads that never wait. Returns null on failure,
/// with the reason in `*failure` when given (an errno value; EBUSY for a held port); when the
/// line settings are refused, "Error: %s" is traced (if the sink shows error details) and the
/// port is closed again.
std::unique_ptr<SerialPort> OpenPort(const std::string& path, unsigned baud, PortErrorSink* errors = nullptr,
                                     int* failure = nullptr);

/// The system's message text for an error code (also used for a line-error mask's value).
std::string SystemMessageText(uint32_t code);

/// 0 when `path` can be opened exclusively now (opened and closed at once, line settings
/// untouched), else why not (an errno value). A device held open by anyone, this program
/// included, gives EBUSY.
int ProbePort(const std::string& path);
bool CanOpenExclusively(const std::string& path);

}  // namespace lum
