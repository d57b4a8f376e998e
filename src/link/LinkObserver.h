#pragma once

#include <string>

#include "link/SerialPort.h"

namespace lum {

/// What the link and the device operations would show in the window. The GUI implements it
/// with widgets, lumctl with stdout, tests with a recorder. Fields are named by the
/// objectName of the control that shows them (for example "lbledtRealBattV", "txtTimer").
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
  /// A measurement or reply text for a read-only field.
  virtual void SetFieldText(const char* /*objectName*/, const std::string& /*text*/) {}
  /// A reply value for a spin edit (calibration references).
  virtual void SetFieldValue(const char* /*objectName*/, int /*value*/) {}
  /// Status bar panel 2: "%.2X,%.2X" of the function flags and the capability byte.
  virtual void SetStatusFlags(const std::string& /*text*/) {}
  /// Reply 0x8F: the picture of imgStatus is emptied.
  virtual void ClearStatusImage() {}
};

}  // namespace lum
