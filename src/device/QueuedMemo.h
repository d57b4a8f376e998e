#pragma once

#include <string>

#include "device/EventQueue.h"
#include "upgrade/UpgradeMemo.h"

namespace lum {

/// The upgrade memo on the worker thread: every line and progress step becomes an event that
/// shows it in the owner's memo when the owner drains the queue.
class QueuedMemo final : public UpgradeMemo {
 public:
  QueuedMemo(EventQueue& events, UpgradeMemo& target) : events_(events), target_(target) {}

  void SetText(const std::string& text) override;
  void AddLine(const std::string& text) override;
  void EndLine(const std::string& text) override;
  void SetFileName(const std::string& name) override;
  void SetFirmwareVersion(const std::string& text) override;
  void SetDescription(const std::string& text) override;
  void SetProgress(int percent) override;

 private:
  EventQueue& events_;
  UpgradeMemo& target_;
};

}  // namespace lum
