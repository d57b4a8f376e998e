// The live monitor and the monitor and settings pages' buttons, against simulated
// controllers on pseudo-terminals.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <chrono>
#include <fstream>

#include "ActionsTestFixture.h"
#include "LanguageApplier.h"
#include "link/Frame.h"
#include "support/PtyPair.h"

namespace lum::test {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kArrival{5000};  // how long the simulator may take to log a request
constexpr uint32_t kOneHourOneMinuteFiveSeconds = 3665;

std::vector<sim::Request> Requests(const sim::Controller& controller) {
  std::vector<sim::Request> requests;
  for (const sim::RawFrame& frame : controller.RequestLog()) requests.push_back(sim::DecodeRequest(frame));
  return requests;
}

class MonitorActionsTest : public ActionsTest {
 protected:
  // The monitored controller on COM1; the test drives the ticks itself.
  sim::Controller& StartMonitored(const sim::ControllerSetup& setup) {
    sim::Controller& controller = simulator.AddController(setup);
    simulator.Start();
    WritePorts({{"COM1", controller.Path()}});
    Create();
    return controller;
  }
  // Opens or closes the monitor port and waits until the page shows it.
  void ClickPort() {
    Find<QPushButton>(*Window().ui().tsReal, "btnRealPort")->click();
    ASSERT_TRUE(WaitForDevice());
    Window().Timer().stop();
  }
  // One tick, shown.
  void Tick() {
    Window().Monitor().TimerTimer();
    ASSERT_TRUE(WaitForDevice());
  }
  std::vector<QWidget*> MonitorControls() {
    Ui::TFormLUM& u = Window().ui();
    return {Find<QGroupBox>(*u.tsTest, "grpAnalog"), Find<QGroupBox>(*u.tsTest, "grpDigital"),
            Find<QPushButton>(*u.tsSetting, "btnReadSetting"), Find<QPushButton>(*u.tsSetting, "btnWriteSetting")};
  }
};

TEST_F(MonitorActionsTest, OpeningPollingAndClosingTheMonitorPort) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.measurements.powerOnSeconds = kOneHourOneMinuteFiveSeconds;
  const auto started = std::chrono::steady_clock::now();
  sim::Controller& controller = StartMonitored(setup);
  TFormLUM& window = Window();
  Ui::TFormLUM& u = window.ui();
  Find<QPlainTextEdit>(*u.tsTest, "Memo")->appendPlainText("an earlier trace line");

  Find<QPushButton>(*u.tsReal, "btnRealPort")->click();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_TRUE(window.Timer().isActive());
  EXPECT_EQ(window.Timer().interval(), 1000);
  window.Timer().stop();  // the test ticks by hand
  EXPECT_TRUE(window.Session().MonitorOpen());
  EXPECT_TRUE(Find<QPlainTextEdit>(*u.tsTest, "Memo")->toPlainText().isEmpty());
  EXPECT_EQ(Find<QPushButton>(*u.tsReal, "btnRealPort")->text(), "关闭通讯端口");
  // A language chosen meanwhile gives the button the caption it has with the port closed; the
  // open port's caption stays.
  std::ofstream(PathIn("open.lng"), std::ios::binary) << "[Strings]\r\nFormLUM.btnRealPort.Caption=打开通讯\r\n";
  ApplyLanguageFile(PathIn("open.lng"), {&window}, window);
  EXPECT_EQ(Find<QPushButton>(*u.tsReal, "btnRealPort")->text(), "关闭通讯端口");
  EXPECT_EQ(window.StatusPanel(0).text(), "COM1 Connecting...");
  EXPECT_FALSE(Find<QComboBox>(*u.tsReal, "cbbRealComPort")->isEnabled());
  for (QWidget* control : MonitorControls()) EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();

  Tick();
  const auto elapsed = std::chrono::steady_clock::now() - started;
  const std::vector<uint8_t> polled = {command::kPowerOnTime,  command::kTemperature,  command::kBatteryVoltage,
                                       command::kSolarVoltage, command::kLoad1Voltage, command::kLoad1Current};
  ASSERT_TRUE(controller.WaitForRequests(polled.size(), kArrival));
  std::vector<uint8_t> asked;
  for (const sim::Request& request : Requests(controller)) asked.push_back(request.code);
  EXPECT_EQ(asked, polled);

  // The controller's clock ran on from 1:01:05 while the test ran (normally for less than a second).
  const QString shown = Find<QLineEdit>(*u.tsReal, "lbledtRealTimer")->text();
  EXPECT_EQ(Find<QLabel>(*u.tsTest, "txtTimer")->text(), shown);
  const QStringList parts = shown.split(':');
  ASSERT_EQ(parts.size(), 3) << shown.toStdString();
  // Hours as they are, minutes and seconds in two digits: "1:01:05".
  EXPECT_TRUE(QRegularExpression("^[1-9]\\d*:[0-5]\\d:[0-5]\\d$").match(shown).hasMatch()) << shown.toStdString();
  const int seconds = parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt();
  EXPECT_GE(seconds, static_cast<int>(kOneHourOneMinuteFiveSeconds));
  EXPECT_LE(seconds, static_cast<int>(kOneHourOneMinuteFiveSeconds) +
                         static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count()));
  EXPECT_TRUE(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV")->text().endsWith(" V"));
  EXPECT_TRUE(Find<QLineEdit>(*u.tsTest, "lbledtBattV")->text().endsWith(" V"));
  EXPECT_TRUE(Find<QLineEdit>(*u.tsReal, "lbledtRealLoad1A")->text().endsWith(" A"));

  ClickPort();
  EXPECT_FALSE(window.Session().MonitorOpen());
  EXPECT_FALSE(window.Timer().isActive());
  EXPECT_EQ(Find<QPushButton>(*u.tsReal, "btnRealPort")->text(), "打开通讯端口");
  EXPECT_EQ(window.StatusPanel(0).text(), "COM1 Closed.");
  EXPECT_TRUE(Find<QComboBox>(*u.tsReal, "cbbRealComPort")->isEnabled());
  for (QWidget* control : MonitorControls()) EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealTimer")->text(), shown) << "fields keep their last values";
}

TEST_F(MonitorActionsTest, APortThatDoesNotOpenChangesNothing) {
  PtyPair line;
  WritePorts({{"COM1", line.SlavePath()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  const auto holder = OpenPort(line.SlavePath(), 38400);  // someone else holds the port
  ASSERT_NE(holder, nullptr);
  Find<QPlainTextEdit>(*u.tsTest, "Memo")->appendPlainText("kept");
  const QString caption = Find<QPushButton>(*u.tsReal, "btnRealPort")->text();

  Find<QPushButton>(*u.tsReal, "btnRealPort")->click();
  ASSERT_TRUE(WaitForDevice());

  EXPECT_FALSE(window.Session().MonitorOpen());
  EXPECT_FALSE(window.Timer().isActive());
  EXPECT_EQ(Find<QPushButton>(*u.tsReal, "btnRealPort")->text(), caption);
  EXPECT_EQ(Find<QPlainTextEdit>(*u.tsTest, "Memo")->toPlainText(), "kept");
  EXPECT_TRUE(Find<QComboBox>(*u.tsReal, "cbbRealComPort")->isEnabled());
  for (QWidget* control : MonitorControls()) EXPECT_FALSE(control->isEnabled());
  // The information panel says why.
  EXPECT_TRUE(u.mmoInfo->toPlainText().contains(
      QString::fromStdString("Cannot open COM1 (" + line.SlavePath() + "): in use by another program")))
      << u.mmoInfo->toPlainText().toStdString();
}

TEST_F(MonitorActionsTest, TicksAreSkippedAndClicksWaitWhileAScanRuns) {
  sim::Controller& monitored = simulator.AddController(sim::DefaultSetup(1));
  sim::Controller& scanned = simulator.AddController(sim::DefaultSetup(0));
  simulator.Start();
  WritePorts({{"COM1", monitored.Path()}, {"COM2", scanned.Path()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  ClickPort();
  ASSERT_TRUE(window.Session().MonitorOpen());

  u.actConnectDevice->trigger();
  ASSERT_TRUE(window.Session().Busy());
  window.Monitor().TimerTimer();
  // A click on the port button waits for the scan: its port does not close under an exchange.
  Find<QPushButton>(*u.tsReal, "btnRealPort")->click();
  EXPECT_TRUE(window.Session().MonitorOpen());
  ASSERT_TRUE(WaitForDevice());
  EXPECT_EQ(window.Entries().DeviceEntries().size(), 1u) << "COM1 is held by the monitor";

  // The waiting click closed the port once the scan was over.
  EXPECT_FALSE(window.Session().MonitorOpen());
  // Nothing of the skipped tick reached the monitored controller: the first request it
  // ever receives is the one sent after reopening.
  ClickPort();
  Find<QPushButton>(*u.tsSetting, "btnTest")->click();
  ASSERT_TRUE(monitored.WaitForRequests(1, kArrival));
  EXPECT_EQ(sim::DecodeRequest(monitored.RequestLog().front()).code, command::kMemoryRead);
}

// A controller taken away while it is monitored: its last readings do not stay on the pages as
// if they were current, and the information panel says so once, and again when it is back.
TEST_F(MonitorActionsTest, ReadingsOfAControllerThatStopsAnsweringAreCleared) {
  const sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = StartMonitored(setup);
  TFormLUM& window = Window();
  Ui::TFormLUM& u = window.ui();
  ClickPort();
  const std::vector<QLineEdit*> shown = {
      Find<QLineEdit>(*u.tsReal, "lbledtRealTimer"),  Find<QLineEdit>(*u.tsReal, "lbledtRealBattV"),
      Find<QLineEdit>(*u.tsReal, "lbledtRealSolarV"), Find<QLineEdit>(*u.tsReal, "lbledtRealLoad1A"),
      Find<QLineEdit>(*u.tsTest, "lbledtTemp"),       Find<QLineEdit>(*u.tsTest, "lbledtBattV"),
      Find<QLineEdit>(*u.tsTest, "lbledtSolarV"),     Find<QLineEdit>(*u.tsTest, "lbledtLoad1V"),
      Find<QLineEdit>(*u.tsTest, "lbledtLoad1A")};
  Tick();
  for (QLineEdit* field : shown) EXPECT_FALSE(field->text().isEmpty()) << field->objectName().toStdString();
  EXPECT_FALSE(Find<QLabel>(*u.tsTest, "txtTimer")->text().isEmpty());

  controller.Unplug();
  Tick();
  Tick();
  for (QLineEdit* field : shown) EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
  EXPECT_TRUE(Find<QLabel>(*u.tsTest, "txtTimer")->text().isEmpty());
  EXPECT_EQ(CountInfo("Live monitor @COM1:: The controller stopped answering"), 1);
  EXPECT_EQ(window.StatusPanel(0).text(), "COM1 Connecting...");

  controller.Plug(setup);
  Tick();
  EXPECT_FALSE(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV")->text().isEmpty());
  EXPECT_EQ(CountInfo("Live monitor @COM1:: The controller answers again."), 1);
  EXPECT_EQ(CountInfo("stopped answering"), 1);
}

// The live monitor holds the port of the controller a write goes to: the window says so before
// the change view, and closes the port only when told to.
TEST_F(MonitorActionsTest, AWriteToTheMonitoredControllerAsksToCloseTheMonitorFirst) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = StartMonitored(setup);
  TFormLUM& window = Window();
  Ui::TFormLUM& u = window.ui();
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ClickPort();
  TDEVICE_CONFIG& entry = *window.Entries().DeviceEntries().front();
  entry.Config.SetBattFCV(static_cast<uint16_t>(setup.config.BattFCV() + 100));

  dialogs_.AnswerYesNo(false);
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(dialogs_.Questions()[0].second.toStdString(),
            "COM1 正被实时监控占用，写入无法到达该端口上的控制器。关闭该端口并写入吗？");
  EXPECT_TRUE(dialogs_.ChangeViews().empty());
  EXPECT_TRUE(window.Session().MonitorOpen());
  EXPECT_EQ(CountInfo("Write to device"), 0);

  dialogs_.AnswerYesNo(true);
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());  // the port closes, then the change view and the write
  ASSERT_TRUE(WaitForDevice());
  EXPECT_FALSE(window.Session().MonitorOpen());
  EXPECT_EQ(Find<QPushButton>(*u.tsReal, "btnRealPort")->text(), "打开通讯端口");
  EXPECT_EQ(dialogs_.ChangeViews().size(), 1u);
  EXPECT_EQ(controller.Config().BattFCV(), entry.Config.BattFCV());
  EXPECT_EQ(InfoLines().back(), "");  // the write's closing line
  EXPECT_EQ(InfoLines().end()[-2], "Ok");
}

TEST_F(MonitorActionsTest, PollsSendNothingWithMonitoringSwitchedOff) {
  sim::Controller& controller = StartMonitored(sim::DefaultSetup(1));
  TFormLUM& window = Window();
  ClickPort();
  Find<QCheckBox>(*window.ui().tsTest, "chkMonitor")->setChecked(false);
  Tick();
  Find<QPushButton>(*window.ui().tsSetting, "btnTest")
      ->click();  // a request after the tick: the first one the controller sees
  ASSERT_TRUE(controller.WaitForRequests(1, kArrival));
  EXPECT_EQ(sim::DecodeRequest(controller.RequestLog().front()).code, command::kMemoryRead);
  EXPECT_TRUE(window.Session().MonitorOpen());
}

TEST_F(MonitorActionsTest, SettingsReadEmptiesItsFieldsAndSendsTheFiveMemoryReads) {
  sim::Controller& controller = StartMonitored(sim::DefaultSetup(1));
  TFormLUM& window = Window();
  Ui::TFormLUM& u = window.ui();
  ClickPort();
  for (QLineEdit* field :
       {Find<QLineEdit>(*u.tsSetting, "lbledtPIDSet"), Find<QLineEdit>(*u.tsSetting, "lbledtModelSet"),
        Find<QLineEdit>(*u.tsSetting, "lbledtManuDateSet"), Find<QLineEdit>(*u.tsSetting, "lbledtInV")})
    field->setText("old");
  Find<QLabel>(*u.tsSetting, "lblFuncSetHex")->setText("old");

  Find<QPushButton>(*u.tsSetting, "btnReadSetting")->click();

  ASSERT_TRUE(controller.WaitForRequests(5, kArrival));
  const std::vector<sim::Request> asked = Requests(controller);
  ASSERT_EQ(asked.size(), 5u);
  const std::pair<uint8_t, uint16_t> expected[] = {{4, 0x4000}, {8, 0x4008}, {4, 0x4018}, {4, 0x4024}, {1, 0x402A}};
  for (size_t i = 0; i < asked.size(); ++i) {
    EXPECT_EQ(asked[i].code, command::kMemoryRead);
    EXPECT_EQ(asked[i].index, 0);
    EXPECT_EQ(asked[i].byteArg, expected[i].first);
    EXPECT_EQ(asked[i].word, expected[i].second);
  }
  for (QLineEdit* field :
       {Find<QLineEdit>(*u.tsSetting, "lbledtPIDSet"), Find<QLineEdit>(*u.tsSetting, "lbledtModelSet"),
        Find<QLineEdit>(*u.tsSetting, "lbledtManuDateSet"), Find<QLineEdit>(*u.tsSetting, "lbledtInV")})
    EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
  EXPECT_TRUE(Find<QLabel>(*u.tsSetting, "lblFuncSetHex")->text().isEmpty());
}

TEST_F(MonitorActionsTest, TestSendsItsReadOnlyOnAnOpenMonitorPort) {
  sim::Controller& controller = StartMonitored(sim::DefaultSetup(1));
  TFormLUM& window = Window();
  Ui::TFormLUM& u = window.ui();
  ASSERT_TRUE(Find<QPushButton>(*u.tsSetting, "btnTest")->isEnabled());
  Find<QPushButton>(*u.tsSetting, "btnTest")->click();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_TRUE(controller.RequestLog().empty()) << "nothing is sent with the port closed";

  ClickPort();
  Find<QPushButton>(*u.tsSetting, "btnTest")->click();
  ASSERT_TRUE(controller.WaitForRequests(1, kArrival));
  ASSERT_EQ(controller.RequestLog().size(), 1u);
  const sim::Request read = sim::DecodeRequest(controller.RequestLog().front());
  EXPECT_EQ(read.code, command::kMemoryRead);
  EXPECT_EQ(read.byteArg, 8);
  EXPECT_EQ(read.word, 0x4024);
}

}  // namespace
}  // namespace lum::test
