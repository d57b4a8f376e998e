// The live monitor (real-time page) and the buttons of the monitor and settings pages.
// "读取"/"设置" of the references (btnReadRef, btnWriteRef), "设置" of the outputs (btnSetD) and
// "Write" of the settings page (btnWriteSetting) have no operation: nothing is connected to them.
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
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr char kConnectingStatus[] = "%s Connecting...";
constexpr char kClosedStatus[] = "%s Closed.";
}  // namespace

void TFormLUM::ConnectMonitorActions() {
  Ui::TFormLUM& u = *ui_;
  u.cbbRealComPort->SetOpenHandler([this] { RunGuarded([this] { ListPorts(); }); });
  connect(u.btnRealPort, &QPushButton::clicked, this, [this] { RunWhenIdle(&TFormLUM::btnRealPortClick); });
  connect(u.btnReadSetting, &QPushButton::clicked, this, [this] { RunWhenIdle(&TFormLUM::btnReadSettingClick); });
  connect(u.btnTest, &QPushButton::clicked, this, [this] { RunWhenIdle(&TFormLUM::btnTestClick); });
  // A tick is skipped, never deferred, while the link is in use (Poll refuses it then).
  connect(timer_, &QTimer::timeout, this, [this] { RunGuarded([this] { TimerTimer(); }); });
}

void TFormLUM::btnRealPortClick() {
  Ui::TFormLUM& u = *ui_;
  const QString portText = u.cbbRealComPort->currentText();
  const bool opening = !monitor_.IsOpen();
  if (opening) {
    const std::optional<std::string> path = ports_.Resolve(portText.toStdString());
    // A port that is gone or held by someone else: nothing changes, nothing is reported.
    if (!path) return;
    // The port's own 400 ms pause runs inside Open; nothing is repainted meanwhile, so the
    // window's changes may as well follow it.
    if (!monitor_.Open(*path)) return;
    u.Memo->clear();
    u.btnRealPort->setText(Message(msg::kClosePortCaption));
    StatusPanel(names::kNodePanel)
        .setText(QString::fromStdString(FormatText(kConnectingStatus, {portText.toStdString()})));
    timer_->start();
  } else {
    timer_->stop();
    monitor_.Close();
    u.btnRealPort->setText(Message(msg::kOpenPortCaption));
    StatusPanel(names::kNodePanel).setText(QString::fromStdString(FormatText(kClosedStatus, {portText.toStdString()})));
  }
  u.cbbRealComPort->setEnabled(!opening);
  for (QWidget* control :
       std::initializer_list<QWidget*>{u.grpAnalog, u.grpDigital, u.btnReadSetting, u.btnWriteSetting})
    control->setEnabled(opening);
}

void TFormLUM::TimerTimer() { monitor_.Poll(ui_->chkMonitor->isChecked()); }

void TFormLUM::btnReadSettingClick() {
  Ui::TFormLUM& u = *ui_;
  for (QLineEdit* field : {u.lbledtPIDSet, u.lbledtModelSet, u.lbledtManuDateSet, u.lbledtInV}) field->clear();
  u.lblFuncSetHex->clear();
  monitor_.ReadSettingsMemory();
}

void TFormLUM::btnTestClick() { monitor_.TestMemoryRead(); }

}  // namespace lum
