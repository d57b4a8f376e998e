#pragma once

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
  void ValueReceived(const Measurement& value) override { values_.push_back(value); }
  void RunningStateCleared() override { ++running_state_clears_; }

  void SetShowErrorDetails(bool show) { show_error_details_ = show; }

  const std::vector<std::string>& InfoLines() const { return info_; }
  const std::vector<std::string>& TraceLines() const { return trace_; }
  /// Every value reported, in order.
  const std::vector<Measurement>& Values() const { return values_; }
  /// The last value reported for `id`; nullopt when none was.
  std::optional<Measurement> Last(ValueId id) const;
  /// The last raw value reported for `id`; nullopt when none was.
  std::optional<int64_t> Raw(ValueId id) const;
  int RunningStateClears() const { return running_state_clears_; }
  /// Trace lines containing `fragment`.
  int CountTrace(const std::string& fragment) const;
  void Clear();

 private:
  bool show_error_details_ = false;
  std::vector<std::string> info_;
  std::vector<std::string> trace_;
  std::vector<Measurement> values_;
  int running_state_clears_ = 0;
};

}  // namespace lum::test
