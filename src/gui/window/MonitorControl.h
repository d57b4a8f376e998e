#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/PollSample.h"

namespace lum {

class TFormLUM;

/// The live monitor: the port the real-time page asks for, opened and closed on the session's
/// thread, and the timer's polls while it is open. The measurements reach the pages' fields
/// through the window's link observer.
class MonitorControl {
 public:
  explicit MonitorControl(TFormLUM& window) : window_(window) {}

  void ConnectHandlers();
  /// Lists the ports the monitor can open; the options' default port is chosen when nothing
  /// else is.
  void ShowPorts(const std::vector<std::string>& names);
  /// The port button's caption for the monitor's state, after a language file set the one of
  /// the closed port.
  void RefreshShownTexts();
  void btnRealPortClick();
  void TimerTimer();
  /// The port the live monitor holds (COMn), empty while it holds none.
  std::string MonitoredPort() const;
  /// Closes the live monitor's port; `then` runs once the page shows it closed.
  void CloseMonitor(std::function<void()> then = {});

 private:
  /// What a poll brought: values that did not come are cleared, and the information panel
  /// says when the controller stops answering and when it answers again.
  void ShowPoll(const PollSample& sample);
  /// The pages, the monitor page's groups, the settings buttons and the timer follow the port.
  void ShowMonitorState(bool open, const std::string& portText);

  TFormLUM& window_;
  std::string monitored_port_;
  bool silent_ = false;  // the last poll of the open port brought nothing
};

}  // namespace lum
