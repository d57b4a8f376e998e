#include "RealTimePage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "FormLUM.h"
#include "PortList.h"
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

void RealTimePage::ConnectHandlers() {
  Ui::TFormLUM& u = window_.ui();
  u.cbbRealComPort->SetOpenHandler([this] { window_.RunGuarded([this] { window_.ListPorts(); }); });
  window_.Bind(u.btnRealPort, &QPushButton::clicked, [this] { btnRealPortClick(); });
  window_.Bind(&window_.Timer(), &QTimer::timeout, [this] { TimerTimer(); });
}

void RealTimePage::RefreshShownTexts() {
  if (window_.Session().MonitorOpen()) window_.ui().btnRealPort->setText(window_.Message(msg::kClosePortCaption));
}

void RealTimePage::ShowPorts(const std::vector<std::string>& names) {
  Ui::TFormLUM& u = window_.ui();
  u.cbbRealComPort->SetPorts(names, Settings(window_.WorkDir()).MonitorPort());
  if (u.cbbRealComPort->count() > 0) u.btnRealPort->setEnabled(true);
}

void RealTimePage::ChoosePort(const std::string& name) {
  PortList& list = *window_.ui().cbbRealComPort;
  const int position = list.findText(QString::fromStdString(name));
  if (position >= 0 && list.isEnabled()) list.setCurrentIndex(position);
}

void RealTimePage::ShowMonitorState(bool open, const std::string& portText) {
  Ui::TFormLUM& u = window_.ui();
  QLabel& status = window_.StatusPanel(names::kNodePanel);
  if (open) {
    u.Memo->clear();
    u.btnRealPort->setText(window_.Message(msg::kClosePortCaption));
    status.setText(QString::fromStdString(FormatText(kConnectingStatus, {portText})));
    window_.Timer().start();
    window_.Feed().MonitorOpened(QString::fromStdString(portText));
    monitored_port_ = portText;
    silent_ = false;
  } else {
    window_.Timer().stop();
    u.btnRealPort->setText(window_.Message(msg::kOpenPortCaption));
    status.setText(QString::fromStdString(FormatText(kClosedStatus, {portText})));
    window_.Feed().MonitorClosed();
  }
  u.cbbRealComPort->setEnabled(!open);
  for (QWidget* control :
       std::initializer_list<QWidget*>{u.grpAnalog, u.grpDigital, u.btnReadSetting, u.btnWriteSetting})
    control->setEnabled(open);
}

// The port opens or closes on the session's thread, after whatever it is doing; the page
// changes once it has.
void RealTimePage::btnRealPortClick() {
  const std::string portText = window_.ui().cbbRealComPort->currentText().toStdString();
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

std::string RealTimePage::MonitoredPort() const {
  return window_.Session().MonitorOpen() ? monitored_port_ : std::string();
}

void RealTimePage::CloseMonitor(std::function<void()> then) {
  window_.Timer().stop();
  window_.PreparedSession().CloseMonitor([this, then = std::move(then)] {
    ShowMonitorState(false, monitored_port_);
    if (then) then();
  });
}

void RealTimePage::TimerTimer() {
  const bool asking = window_.ui().chkMonitor->isChecked();
  window_.PreparedSession().Poll(asking, [this, asking] {
    const PollSample sample = window_.Feed().EndPoll();
    if (asking) ShowPoll(sample);
  });
}

void RealTimePage::ShowPoll(const PollSample& sample) {
  WindowLinkObserver& observer = window_.Observer();
  for (const ValueId id : kPolledValues)
    if (!sample.Raw(id)) observer.ClearValue(id);
  if (sample.Empty() == silent_) return;
  silent_ = sample.Empty();
  observer.InfoLine(silent_ ? MonitorSilentLine(monitored_port_) : MonitorAnswersLine(monitored_port_));
}

}  // namespace lum
