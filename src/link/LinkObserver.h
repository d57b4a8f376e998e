#pragma once

#include <string>

#include "data/Measurement.h"
#include "link/SerialPort.h"

namespace lum {

/// Whoever hears what the link and the device operations report: the GUI,
/// lumctl's terminal, a session's event queue, a test's recorder. Values arrive as an
/// identifier, the raw number and its unit; whoever shows them to people formats them
/// (FormatValue), so that the link never decides how anything looks.
class LinkObserver : public PortErrorSink {
 public:
  /// An information line of an operation ("Ok", "Failure" and the end-of-write "\r" included).
  virtual void InfoLine(const std::string& line) = 0;
  /// A trace line: a line fault, a retry, a purge.
  void TraceLine(const std::string& line) override = 0;
  /// Whether line faults are traced with their details.
  bool ShowErrorDetails() const override { return false; }
  /// A measurement, calibration reference, identity field or status byte a reply carried.
  virtual void ValueReceived(const Measurement& /*value*/) {}
  /// The controller declared its running state unknown (reply 0x8F): whatever showed the
  /// last one no longer holds.
  virtual void RunningStateCleared() {}
};

}  // namespace lum
