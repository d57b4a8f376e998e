#pragma once

#include <string>

#include "data/Measurement.h"
#include "link/SerialPort.h"

namespace lum {

/// What the link and the device operations would show in the window. The GUI implements it
/// with widgets, lumctl with stdout, tests with a recorder. Values arrive as numbers with
/// their unit; whoever shows them formats them (FormatValue).
class LinkObserver : public PortErrorSink {
 public:
  /// A line for the information panel mmoInfo ("Ok", "Failure" and "\r" included).
  virtual void InfoLine(const std::string& line) = 0;
  /// A line for the trace memo Memo.
  void TraceLine(const std::string& line) override = 0;
  /// CheckBoxError is checked.
  bool ShowErrorDetails() const override { return false; }
  /// Let the window process its pending messages (input, timer ticks, repainting).
  virtual void ProcessMessages() {}
  /// A measurement, calibration reference or identity field a reply carried.
  virtual void ValueReceived(const Measurement& /*value*/) {}
  /// Status bar panel 2: "%.2X,%.2X" of the function flags and the capability byte.
  virtual void SetStatusFlags(const std::string& /*text*/) {}
  /// Reply 0x8F: the picture of imgStatus is emptied.
  virtual void ClearStatusImage() {}
};

}  // namespace lum
