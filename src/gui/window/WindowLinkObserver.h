#pragma once

#include <functional>

#include "link/LinkObserver.h"

class QWidget;

namespace lum {

/// Shows what the link and the device operations report in the main window's controls,
/// found by their object names: mmoInfo, Memo, CheckBoxError, StatusPanel2 (the function
/// flags and the capability byte), imgStatus and the fields that show each measurement.
class WindowLinkObserver : public LinkObserver {
 public:
  explicit WindowLinkObserver(QWidget& window) : window_(window) {}

  void InfoLine(const std::string& line) override;
  void TraceLine(const std::string& line) override;
  bool ShowErrorDetails() const override;
  void ValueReceived(const Measurement& value) override;
  /// Empties imgStatus.
  void RunningStateCleared() override;
  /// Empties the fields that show this measurement: a reading that did not come is not shown
  /// as if it were current.
  void ClearValue(ValueId id);
  /// Also hands every value to `tap` (the live monitor's feed).
  void SetValueTap(std::function<void(const Measurement&)> tap) { tap_ = std::move(tap); }

 private:
  void ShowStatusFlags();

  QWidget& window_;
  std::function<void(const Measurement&)> tap_;
  Measurement function_flags_ = MakeMeasurement(ValueId::FunctionFlags, 0);
  Measurement capability_flags_ = MakeMeasurement(ValueId::CapabilityFlags, 0);
};

}  // namespace lum
