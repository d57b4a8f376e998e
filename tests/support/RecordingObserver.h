#pragma once

#include <functional>
#include <map>
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
  void SetFieldText(const char* objectName, const std::string& text) override { texts_[objectName] = text; }
  void SetFieldValue(const char* objectName, int value) override { values_[objectName] = value; }
  void SetStatusFlags(const std::string& text) override { status_flags_.push_back(text); }
  void ClearStatusImage() override { ++status_image_clears_; }

  void SetShowErrorDetails(bool show) { show_error_details_ = show; }
  /// Runs inside every ProcessMessages call (a timer tick or a click arriving mid-exchange).
  void OnProcessMessages(std::function<void()> hook) { on_process_ = std::move(hook); }

  const std::vector<std::string>& InfoLines() const { return info_; }
  const std::vector<std::string>& TraceLines() const { return trace_; }
  /// Last text set for a field; empty when never set.
  std::string Text(const std::string& objectName) const;
  bool HasText(const std::string& objectName) const { return texts_.count(objectName) != 0; }
  const std::map<std::string, std::string>& Texts() const { return texts_; }
  const std::map<std::string, int>& Values() const { return values_; }
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
  std::map<std::string, std::string> texts_;
  std::map<std::string, int> values_;
  std::vector<std::string> status_flags_;
  int status_image_clears_ = 0;
  int process_calls_ = 0;
};

}  // namespace lum::test
