#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/LinkObserver.h"

namespace lum::test {

/// A LinkObserver that records everything the link and the operations report.
class RecordingObserver : public LinkObserver {
 public:
  void InfoLine(const std::string& line) override { info_.push_back(line); }
  void TraceLine(const std::string& line) override { trace_.push_back(line); }
  bool ShowErrorDetails() const override { return show_error_details_; }
  void ProcessMessages() override;
  void ValueReceived(const Measurement& value) override { values_.push_back(value); }
  void SetStatusFlags(const std::string& text) override { status_flags_.push_back(text); }
  void ClearStatusImage() override { ++status_image_clears_; }

  void SetShowErrorDetails(bool show) { show_error_details_ = show; }
  /// Runs inside every ProcessMessages call (a timer tick or a click arriving mid-exchange).
  void OnProcessMessages(std::function<void()> hook) { on_process_ = std::move(hook); }

  const std::vector<std::string>& InfoLines() const { return info_; }
  const std::vector<std::string>& TraceLines() const { return trace_; }
  /// Every value reported, in order.
  const std::vector<Measurement>& Values() const { return values_; }
  /// The last value reported for `id`; nullopt when none was.
  std::optional<Measurement> Last(ValueId id) const;
  /// The last raw value reported for `id`; nullopt when none was.
  std::optional<int64_t> Raw(ValueId id) const;
  const std::vector<std::string>& StatusFlags() const { return status_flags_; }
  int StatusImageClears() const { return status_image_clears_; }
  int ProcessMessagesCalls() const { return process_calls_; }
  /// Trace lines containing `fragment`.
  int CountTrace(const std::string& fragment) const;
  void Clear();

 private:
  bool show_error_details_ = false;
  std::function<void()> on_process_;
  std::vector<std::string> info_;
  std::vector<std::string> trace_;
  std::vector<Measurement> values_;
  std::vector<std::string> status_flags_;
  int status_image_clears_ = 0;
  int process_calls_ = 0;
};

}  // namespace lum::test
