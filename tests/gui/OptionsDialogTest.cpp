// Options → Options...: the data folder, the records database, recording on or off and the
// live monitor's default port, kept in LUM.INI and taken by the window at once.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "ActionsTestFixture.h"
#include "FormOptions.h"
#include "PollFeed.h"
#include "PortList.h"
#include "WindowRecorder.h"
#include "base/RegularFile.h"
#include "language/Settings.h"
#include "support/PtyPair.h"
#include "ui_FormOptions.h"

namespace lum::test {
namespace {

namespace fs = std::filesystem;

class OptionsDialogTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    Create();
    options_ = std::make_unique<TFormOptions>(Window());
  }
  void TearDown() override {
    options_.reset();
    ActionsTest::TearDown();
  }
  Ui::TFormOptions& o() { return options_->ui(); }
  std::string Ini() const { return ReadWholeFile(PathIn("LUM.INI")); }
  // Polls of an opening of the live monitor, as the window's observer reports them.
  void MonitorPolls(int polls) {
    Window().Feed().MonitorOpened(QStringLiteral("COM1"));
    for (int n = 0; n < polls; ++n) {
      Window().Feed().Add(MakeMeasurement(ValueId::BatteryVoltage, 12000 + n));
      Window().Feed().EndPoll(1796688000000 + n * 1000);
    }
    Window().Feed().MonitorClosed();
  }

  std::unique_ptr<TFormOptions> options_;
};

TEST_F(OptionsDialogTest, TheMenuEntryOpensTheDialogWithWhatLumIniHolds) {
  Settings(Dir()).SetDatabase("records.db");
  Settings(Dir()).SetRecording(false);
  Settings(Dir()).SetMonitorPort("COM3");
  bool shown = false;
  QTimer::singleShot(0, [&] {
    shown = options_->isVisible();
    options_->reject();
  });
  Window().ui().N5->trigger();  // Options → Options...
  EXPECT_TRUE(shown);
  EXPECT_EQ(o().lbledtDataFolder->text(), "");
  EXPECT_EQ(o().lbledtDataFolder->placeholderText().toStdString(), Dir());  // the folder in use
  EXPECT_EQ(o().lbledtDatabase->text(), "records.db");
  EXPECT_FALSE(o().chkRecording->isChecked());
  EXPECT_EQ(o().cbbMonitorPort->currentText(), "COM3");
}

TEST_F(OptionsDialogTest, OkKeepsTheSettingsInLumIniAndTheWindowTakesThemCancelChangesNothing) {
  PtyPair first;
  PtyPair second;
  WritePorts({{"COM1", first.SlavePath()}, {"COM2", second.SlavePath()}});
  Window().ListPorts();
  const std::string before = Ini();
  options_->ShowSettings();
  o().lbledtDataFolder->setText("data");
  o().chkRecording->setChecked(false);
  options_->reject();
  EXPECT_EQ(Ini(), before);

  options_->ShowSettings();
  o().lbledtDataFolder->setText("data");
  o().lbledtDatabase->setText("records.db");
  o().chkRecording->setChecked(false);
  o().cbbMonitorPort->setCurrentIndex(o().cbbMonitorPort->findText("COM2"));
  options_->accept();
  EXPECT_EQ(options_->result(), QDialog::Accepted);
  const Settings settings(Dir());
  EXPECT_EQ(settings.DataFolderSetting(), "data");
  EXPECT_EQ(settings.Database(), "records.db");
  EXPECT_FALSE(settings.Recording());
  EXPECT_EQ(settings.MonitorPort(), "COM2");
  EXPECT_EQ(Window().DataDir(), PathIn("data"));  // beside LUM.INI, made at once
  EXPECT_TRUE(fs::is_directory(PathIn("data")));
  EXPECT_EQ(Find<QComboBox>(*Window().ui().tsReal, "cbbRealComPort")->currentText(), "COM2");
  EXPECT_TRUE(Ini().find("[Ports]") != std::string::npos);  // the rest of LUM.INI stays
}

TEST_F(OptionsDialogTest, ADataFolderThatCannotBeMadeIsRefusedAndNothingIsSaved) {
  std::ofstream(PathIn("taken")) << "a file";
  const std::string before = Ini();
  options_->ShowSettings();
  o().lbledtDataFolder->setText("taken/data");
  options_->accept();
  EXPECT_NE(options_->result(), QDialog::Accepted);
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_TRUE(dialogs_.Errors()[0].startsWith("数据文件夹无法使用：" + QString::fromStdString(PathIn("taken/data"))))
      << dialogs_.Errors()[0].toStdString();
  EXPECT_EQ(Ini(), before);
  EXPECT_EQ(Window().DataDir(), Dir());
}

// Recording off, the monitor's polls go nowhere; on again, they are recorded in the folder
// chosen.
TEST_F(OptionsDialogTest, RecordingFollowsTheOptions) {
  auto* recorder = new WindowRecorder(Window());  // the window owns it
  Settings(Dir()).SetRecording(false);
  MonitorPolls(3);
  ASSERT_NE(recorder->Recordings(), nullptr);
  EXPECT_TRUE(recorder->Recordings()->List().empty());

  options_->ShowSettings();
  o().chkRecording->setChecked(true);
  o().lbledtDataFolder->setText("elsewhere");
  options_->accept();
  MonitorPolls(3);
  EXPECT_TRUE(fs::exists(PathIn("elsewhere/commissioning.db")));
  ASSERT_NE(recorder->Recordings(), nullptr);
  ASSERT_EQ(recorder->Recordings()->List().size(), 1u);
  EXPECT_EQ(recorder->Recordings()->List()[0].polls, 3);
}

}  // namespace
}  // namespace lum::test
