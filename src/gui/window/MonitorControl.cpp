#include "MonitorControl.h"

#include <QLabel>
#include <QTimer>

#include "FormLUM.h"
#include "MonitorPage.h"
#include "RealTimePage.h"
#include "SettingsPage.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "device/InfoLines.h"
#include "language/MessageSlots.h"
#include "language/Settings.h"
#include "link/PortTrouble.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr char kConnectingStatus[] = "%s Connecting...";
constexpr char kClosedStatus[] = "%s Closed.";
}  // namespace

void MonitorControl::ConnectHandlers() {
  RealTimePage& page = *window_.ui().tsReal;
  window_.Bind(&page, &RealTimePage::portListOpening, [this] { window_.ListPorts(); });
  window_.Bind(&page, &RealTimePage::portButtonClicked, [this] { btnRealPortClick(); });
  window_.Bind(&window_.Timer(), &QTimer::timeout, [this] { TimerTimer(); });
}

void MonitorControl::RefreshShownTexts() {
  if (window_.Session().MonitorOpen())
    window_.ui().tsReal->SetPortButtonCaption(window_.Message(msg::kClosePortCaption));
}

void MonitorControl::ShowPorts(const std::vector<std::string>& names) {
  window_.ui().tsReal->ShowPorts(names, Settings(window_.WorkDir()).MonitorPort());
}

void MonitorControl::ShowMonitorState(bool open, const std::string& portText) {
  Ui::TFormLUM& u = window_.ui();
  QLabel& status = window_.StatusPanel(names::kNodePanel);
  if (open) {
    u.tsTest->ClearTrace();
    u.tsReal->SetPortButtonCaption(window_.Message(msg::kClosePortCaption));
    status.setText(QString::fromStdString(FormatText(kConnectingStatus, {portText})));
    window_.Timer().start();
    window_.Feed().MonitorOpened(QString::fromStdString(portText));
    monitored_port_ = portText;
    silent_ = false;
  } else {
    window_.Timer().stop();
    u.tsReal->SetPortButtonCaption(window_.Message(msg::kOpenPortCaption));
    status.setText(QString::fromStdString(FormatText(kClosedStatus, {portText})));
    window_.Feed().MonitorClosed();
  }
  u.tsReal->ShowMonitorOpen(open);
  u.tsTest->FollowMonitor(open);
  u.tsSetting->FollowMonitor(open);
}

// The port opens or closes on the session's thread, after whatever it is doing; the page
// changes once it has.
void MonitorControl::btnRealPortClick() {
  const std::string portText = window_.ui().tsReal->ChosenPort();
  DeviceSession& session = window_.Session();
  if (session.MonitorOpen()) {
    CloseMonitor();
    return;
  }
  const std::optional<std::string> path = window_.Ports().Resolve(portText);
  // A port that is gone: nothing changes.
  if (!path) return;
  // A port that does not open changes nothing either, but the information panel says why and
  // what to do.
  window_.PreparedSession().OpenMonitor(*path, [this, portText, path = *path](bool opened) {
    if (opened)
      ShowMonitorState(true, portText);
    else
      window_.Observer().InfoLine(
          PortOpenFailureLine(portText, path, window_.Session().MonitorOpenFailure(), NowStamp()));
  });
}

std::string MonitorControl::MonitoredPort() const {
  return window_.Session().MonitorOpen() ? monitored_port_ : std::string();
}

void MonitorControl::CloseMonitor(std::function<void()> then) {
  window_.Timer().stop();
  window_.PreparedSession().CloseMonitor([this, then = std::move(then)] {
    ShowMonitorState(false, monitored_port_);
    if (then) then();
  });
}

void MonitorControl::TimerTimer() {
  const bool asking = window_.ui().tsTest->AsksForValues();
  window_.PreparedSession().Poll(asking, [this, asking] {
    const PollSample sample = window_.Feed().EndPoll();
    if (asking) ShowPoll(sample);
  });
}

void MonitorControl::ShowPoll(const PollSample& sample) {
  WindowLinkObserver& observer = window_.Observer();
  for (const ValueId id : kPolledValues)
    if (!sample.Raw(id)) observer.ClearValue(id);
  if (sample.Empty() == silent_) return;
  silent_ = sample.Empty();
  observer.InfoLine(silent_ ? MonitorSilentLine(monitored_port_) : MonitorAnswersLine(monitored_port_));
}

}  // namespace lum
