// The live monitor (real-time page) and the buttons of the monitor and settings pages, through
// the window's device session. "读取"/"设置" of the references (btnReadRef, btnWriteRef), "设置"
// of the outputs (btnSetD) and "Write" of the settings page (btnWriteSetting) have no
// operation: nothing is connected to them.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "FormLUM.h"
#include "PortList.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "language/MessageSlots.h"
#include "link/PortTrouble.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr char kConnectingStatus[] = "%s Connecting...";
constexpr char kClosedStatus[] = "%s Closed.";
}  // namespace

void TFormLUM::ConnectMonitorActions() {
  Ui::TFormLUM& u = *ui_;
  u.cbbRealComPort->SetOpenHandler([this] { RunGuarded([this] { ListPorts(); }); });
  connect(u.btnRealPort, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnRealPortClick(); }); });
  connect(u.btnReadSetting, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnReadSettingClick(); }); });
  connect(u.btnTest, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnTestClick(); }); });
  connect(timer_, &QTimer::timeout, this, [this] { RunGuarded([this] { TimerTimer(); }); });
}

// The port opens or closes on the session's thread, after whatever it is doing; the page
// changes once it has.
void TFormLUM::btnRealPortClick() {
  const std::string portText = ui_->cbbRealComPort->currentText().toStdString();
  auto showState = [this, portText](bool open) {
    Ui::TFormLUM& u = *ui_;
    if (open) {
      u.Memo->clear();
      u.btnRealPort->setText(Message(msg::kClosePortCaption));
      StatusPanel(names::kNodePanel).setText(QString::fromStdString(FormatText(kConnectingStatus, {portText})));
      timer_->start();
      feed_->MonitorOpened(QString::fromStdString(portText));
    } else {
      timer_->stop();
      u.btnRealPort->setText(Message(msg::kOpenPortCaption));
      StatusPanel(names::kNodePanel).setText(QString::fromStdString(FormatText(kClosedStatus, {portText})));
      feed_->MonitorClosed();
    }
    u.cbbRealComPort->setEnabled(!open);
    for (QWidget* control :
         std::initializer_list<QWidget*>{u.grpAnalog, u.grpDigital, u.btnReadSetting, u.btnWriteSetting})
      control->setEnabled(open);
  };
  if (session_->MonitorOpen()) {
    timer_->stop();
    PreparedSession().CloseMonitor([showState] { showState(false); });
    return;
  }
  const std::optional<std::string> path = ports_.Resolve(portText);
  // A port that is gone: nothing changes.
  if (!path) return;
  // A port that does not open changes nothing either, but the information panel says why and
  // what to do.
  PreparedSession().OpenMonitor(*path, [this, showState, portText, path = *path](bool opened) {
    if (opened)
      showState(true);
    else
      observer_.InfoLine(PortOpenFailureLine(portText, path, session_->MonitorOpenFailure(), NowStamp()));
  });
}

void TFormLUM::TimerTimer() {
  PreparedSession().Poll(ui_->chkMonitor->isChecked(), [this] { feed_->EndPoll(); });
}

void TFormLUM::btnReadSettingClick() {
  Ui::TFormLUM& u = *ui_;
  for (QLineEdit* field : {u.lbledtPIDSet, u.lbledtModelSet, u.lbledtManuDateSet, u.lbledtInV}) field->clear();
  u.lblFuncSetHex->clear();
  PreparedSession().ReadSettingsMemory();
}

void TFormLUM::btnTestClick() { PreparedSession().TestMemoryRead(); }

}  // namespace lum
