// File → Restore from backup: a controller's backups with their time and what writing each
// back would change; the chosen one is written back through the change view.
#include <QAction>
#include <QLineEdit>
#include <QRegularExpression>
#include <fstream>

#include "ActionsTestFixture.h"
#include "data/Backups.h"
#include "data/NumberFormats.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using RestoreBackupTest = ActionsTest;

TEST_F(RestoreBackupTest, TheChosenBackupIsWrittenBackAfterTheChangeView) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = simulator.AddController(setup);
  simulator.Start();
  WritePorts({{"COM1", controller.Path()}});
  CreateShown();
  Ui::TFormLUM& u = Window().ui();
  u.actConnectDevice->trigger();  // the read is backed up
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(ListBackups(Dir()).size(), 1u);

  // The controller is changed since (by someone else), and read again: a second backup.
  sim::ControllerSetup changed = setup;
  changed.config.SetBattOVP(static_cast<uint16_t>(setup.config.BattOVP() + 300));
  controller.Plug(changed);
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  const auto backups = ListBackups(Dir(), FormatSerial(setup.serialNumber));
  ASSERT_EQ(backups.size(), 2u);

  dialogs_.AnswerBackup(1);  // the older one, as first read
  u.actRestoreBackup->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(dialogs_.BackupLists().size(), 1u);
  const BackupChoices& offered = dialogs_.BackupLists()[0];
  EXPECT_EQ(offered.title, "从备份恢复");
  // The list names whose backups they are.
  EXPECT_EQ(offered.controller.toStdString(),
            "COM1 上的控制器：" + setup.model + "，序列号 " + FormatSerial(setup.serialNumber));
  ASSERT_EQ(offered.rows.size(), 2u);
  EXPECT_EQ(offered.rows[0].time.toStdString(), FormatBackupTime(backups[0].time));
  EXPECT_TRUE(offered.rows[0].changes.rows.empty());  // the newest is what the controller holds
  const auto volts = [](int mv) {
    return QString::fromStdString(FormatScaled(static_cast<uint16_t>(mv), kScaleMilli) + " V");
  };
  EXPECT_EQ(
      offered.rows[1].changes.rows,
      (std::vector<ChangeRow>{{"过充保护电压", volts(setup.config.BattOVP() + 300), volts(setup.config.BattOVP())}}));

  // The same change view as any write, then the write itself.
  ASSERT_EQ(dialogs_.ChangeViews().size(), 1u);
  EXPECT_EQ(dialogs_.ChangeViews()[0].rows, offered.rows[1].changes.rows);
  EXPECT_EQ(controller.Config().BattOVP(), setup.config.BattOVP());
  EXPECT_EQ(CountInfo("Writing configuration data"), 1);
  // The controller's entry shows what the controller holds now, not what it held before.
  const TDEVICE_CONFIG& entry = *Window().Entries().DeviceEntries().front();
  EXPECT_EQ(entry.Config.BattOVP(), setup.config.BattOVP());
  EXPECT_EQ(entry.AsRead->BattOVP(), setup.config.BattOVP());
  SelectNode(TreeTexts().front());
  EXPECT_EQ(Find<QLineEdit>(*u.PageControl, "lbledtBattOVP")->text().toStdString(),
            FormatScaled(setup.config.BattOVP(), kScaleMilli));
}

TEST_F(RestoreBackupTest, WithoutAControllerReadThereIsNothingToRestore) {
  CreateShown();
  Window().ui().actRestoreBackup->trigger();
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors()[0], "没有该控制器的备份。");
  EXPECT_TRUE(dialogs_.BackupLists().empty());
}

// A backup damaged on the disk is not offered; with the controller gone, the restore says it failed
// and claims no write.
TEST_F(RestoreBackupTest, ADamagedBackupIsNotOfferedAndARestoreToAGoneControllerFails) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = simulator.AddController(setup);
  simulator.Start();
  WritePorts({{"COM1", controller.Path()}});
  CreateShown();
  Ui::TFormLUM& u = Window().ui();
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  sim::ControllerSetup changed = setup;
  changed.config.SetBattOVP(static_cast<uint16_t>(setup.config.BattOVP() + 300));
  controller.Plug(changed);
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  const auto backups = ListBackups(Dir(), FormatSerial(setup.serialNumber));
  ASSERT_EQ(backups.size(), 2u);
  {
    std::fstream damaged(backups[0].path, std::ios::in | std::ios::out | std::ios::binary);
    damaged.seekp(100);
    damaged.put('\x5A').put('\xA5');  // a check sum no longer matches
  }

  controller.Unplug();
  dialogs_.AnswerBackup(0);
  u.actRestoreBackup->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(dialogs_.BackupLists().size(), 1u);
  ASSERT_EQ(dialogs_.BackupLists()[0].rows.size(), 1u) << "the damaged backup was offered";
  EXPECT_EQ(dialogs_.BackupLists()[0].rows[0].time.toStdString(), FormatBackupTime(backups[1].time));

  const QStringList lines = InfoLines();
  const qsizetype checking = lines.lastIndexOf(QRegularExpression(".*Checking product ID.*"));
  ASSERT_GE(checking, 0) << lines.join('\n').toStdString();
  ASSERT_GT(lines.size(), checking + 1);
  EXPECT_EQ(lines[checking + 1], "Failure");
  EXPECT_EQ(CountInfo("Writing configuration data"), 0) << "nothing answered: nothing was written";
}

}  // namespace
}  // namespace lum::test
