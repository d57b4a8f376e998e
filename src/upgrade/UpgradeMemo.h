#pragma once

#include <string>

namespace lum {

/// The fixed outcome text of a successful upgrade step (not a message of the table).
inline constexpr const char* kStepOk = "Ok!";

/// What loading an upgrade file and the loader dialogue show: the message memo, the three
/// information boxes and the progress bar of the upgrade window. lumctl and tests implement it
/// too.
class UpgradeMemo {
 public:
  virtual ~UpgradeMemo() = default;

  /// Replaces the memo's whole text with one line.
  virtual void SetText(const std::string& text) = 0;
  /// Appends a new line.
  virtual void AddLine(const std::string& text) = 0;
  /// Appends the text to the end of the last line (a step's outcome).
  virtual void EndLine(const std::string& text) = 0;

  /// The loaded file's name without directories (LabeledEditEFFFilename).
  virtual void SetFileName(const std::string& name) = 0;
  /// The firmware version as four dotted numbers (lbledtEFFFirmwareVer).
  virtual void SetFirmwareVersion(const std::string& text) = 0;
  /// The controller model's name (lbledtEFFDescription).
  virtual void SetDescription(const std::string& text) = 0;

  /// The progress bar, 0..100 (Gauge).
  virtual void SetProgress(int percent) = 0;
  /// Lets the user interface process its pending events.
  virtual void ProcessEvents() {}
};

}  // namespace lum
