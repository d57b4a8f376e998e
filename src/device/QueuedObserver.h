#pragma once

#include <atomic>
#include <string>

#include "device/EventQueue.h"
#include "link/LinkObserver.h"

namespace lum {

/// The observer a session's link reports to on the worker thread: every report becomes an
/// event that shows it to the owner's observer when the owner drains the queue. The worker
/// never waits for the owner, and the owner's observer is only ever called on its own thread.
class QueuedObserver final : public LinkObserver {
 public:
  QueuedObserver(EventQueue& events, LinkObserver& target) : events_(events), target_(target) {}

  /// What the owner's CheckBoxError says; read by the worker at each exchange.
  void SetShowErrorDetails(bool show) { show_error_details_ = show; }

  void InfoLine(const std::string& line) override;
  void TraceLine(const std::string& line) override;
  bool ShowErrorDetails() const override { return show_error_details_; }
  void ValueReceived(const Measurement& value) override;
  void RunningStateCleared() override;

 private:
  EventQueue& events_;
  LinkObserver& target_;
  std::atomic<bool> show_error_details_ = false;
};

}  // namespace lum
