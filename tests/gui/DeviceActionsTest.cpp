// Connect and write from the main window, against simulated controllers on pseudo-terminals.
#include <fmt/format.h>

#include <QComboBox>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "ActionsTestFixture.h"
#include "ImageLists.h"
#include "data/Backups.h"
#include "data/CommandCodes.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"
#include "support/PtyPair.h"

namespace lum::test {
namespace {

QImage Picture(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
  int count = 0;
};

class DeviceActionsTest : public ActionsTest {};

// A port where nothing answers is no node: it holds nothing to show or write.
TEST_F(DeviceActionsTest, ScanListsEveryControllerBesideTheFilesInSortOrder) {
  PtyPair nobody;
  sim::ControllerSetup second = sim::DefaultSetup(1);
  second.model = "LS-TWO";
  sim::ControllerSetup fifth = sim::DefaultSetup(0);
  fifth.model = "LS-FIVE";
  sim::Controller& com2 = simulator.AddController(second);
  sim::Controller& com5 = simulator.AddController(fifth);
  simulator.Start();
  WritePorts({{"COM1", nobody.SlavePath()}, {"COM2", com2.Path()}, {"COM5", com5.Path()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  AddFileEntry("/cfg/zeta.LUM", SampleBlock(2));
  // The "Connected device" line names the type as the list shows it (a language may rename it).
  Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->setItemText(1, QStringLiteral("Lamp B"));

  u.actConnectDevice->trigger();
  // The scan runs on the session's thread; meanwhile connect and write are disabled.
  EXPECT_TRUE(window.Session().Busy());
  EXPECT_FALSE(u.actConnectDevice->isEnabled());
  EXPECT_FALSE(u.actWriteToDevice->isEnabled());
  ASSERT_TRUE(WaitForDevice());

  EXPECT_EQ(TreeTexts(), (QStringList{"COM2,LS-TWO", "COM5,LS-FIVE", "New File", "zeta.LUM"}));
  const QTreeWidget& tree = *u.tvDevices;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    const QTreeWidgetItem& node = *tree.topLevelItem(i);
    const int picture = node.text(0).startsWith("COM") ? picture::kDeviceNode : picture::kFileNode;
    EXPECT_EQ(Picture(node.icon(0)), Picture(ImageList16(picture))) << node.text(0).toStdString();
  }
  // The first node is selected and shown.
  const auto& devices = window.Entries().DeviceEntries();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(window.CurrentEntry(), devices[0].get());
  EXPECT_EQ(window.StatusPanel(0).text(), "COM2,LS-TWO");

  EXPECT_EQ(CountInfo("] Scan connected device:: Open port @"), 3);
  EXPECT_EQ(CountInfo("] Scan connected device:: No controller answered on COM1."), 1);
  EXPECT_EQ(CountInfo("] Connected device is Lamp B @COM2"), 1);
  EXPECT_EQ(
      CountInfo("] Connected device is " + Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->itemText(0) + " @COM5"),
      1);
  EXPECT_EQ(CountInfo("] Reading configuration data ..."), 2);
  EXPECT_EQ(InfoLines().count("Ok"), 2);

  // Each controller read is backed up under its serial number, holding what was read.
  EXPECT_EQ(CountInfo("] Backup saved: "), 2);
  for (const auto& [setup, entry] : {std::pair{&second, devices[0].get()}, std::pair{&fifth, devices[1].get()}}) {
    const auto backups = ListBackups(Dir(), FormatSerial(setup->serialNumber));
    ASSERT_EQ(backups.size(), 1u) << setup->model;
    EXPECT_EQ(OpenConfigFile(backups[0].path).block, entry->Config) << setup->model;
  }

  EXPECT_TRUE(u.actConnectDevice->isEnabled());
  EXPECT_TRUE(u.actWriteToDevice->isEnabled());
  EXPECT_TRUE(u.actSaveConfigToFile->isEnabled());
}

TEST_F(DeviceActionsTest, ScanThatReadsNothingLeavesOnlyLiveEntriesInTreeAndSelection) {
  sim::Controller& com1 = simulator.AddController(sim::DefaultSetup(1));
  simulator.Start();
  WritePorts({{"COM1", com1.Path()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  window.RebuildEntryTree();
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(window.Entries().DeviceEntries().size(), 1u);
  const QString deviceNode = TreeTexts().front();
  ASSERT_TRUE(deviceNode.startsWith("COM1,"));
  SelectNode(deviceNode);
  ASSERT_EQ(window.CurrentEntry(), window.Entries().DeviceEntries().front().get());

  // The controller stops answering: the port still opens, nothing is read, and nothing that
  // did not answer becomes a node.
  simulator.Stop();
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());

  EXPECT_TRUE(window.Entries().DeviceEntries().empty());
  EXPECT_EQ(TreeTexts(), (QStringList{"New File"}));
  EXPECT_EQ(window.CurrentEntry(), window.Entries().FileEntries().front().get());
  EXPECT_EQ(CountInfo("] Scan connected device:: No controller answered on COM1."), 1);
  // Every node leads to an entry of the lists.
  for (const QString& text : TreeTexts()) {
    SelectNode(text);
    EXPECT_TRUE(window.Entries().Contains(window.CurrentEntry())) << text.toStdString();
  }
  EXPECT_FALSE(u.actWriteToDevice->isEnabled());
  EXPECT_TRUE(u.actConnectDevice->isEnabled());
}

TEST_F(DeviceActionsTest, TheWindowStaysResponsiveAndShowsProgressDuringAScan) {
  PtyPair silent;  // opens, never answers: six identification tries, about a second
  sim::Controller& com2 = simulator.AddController(sim::DefaultSetup(1));
  simulator.Start();
  WritePorts({{"COM1", silent.SlavePath()}, {"COM2", com2.Path()}});
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  QWidget& memo = *u.mmoInfo->viewport();
  PaintCounter paints(memo);

  u.actConnectDevice->trigger();
  // The scan's first line shows while it goes on.
  ASSERT_TRUE(QTest::qWaitFor([&] { return CountInfo("] Scan connected device:: Open port @COM1.") == 1; }, 10000));

  // A timer event and a repaint asked for now are handled while the scan goes on (it takes about a
  // second on the silent port), not after it.
  bool ticked = false;
  bool busyAtTick = false;
  QTimer::singleShot(0, &window, [&] {
    ticked = true;
    busyAtTick = window.Session().Busy();
  });
  const int paintsBefore = paints.count;
  memo.update();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticked && paints.count > paintsBefore; }, 5000));
  EXPECT_TRUE(busyAtTick) << "the timer waited for the scan";
  EXPECT_TRUE(window.Session().Busy()) << "the repaint waited for the scan";
  EXPECT_EQ(CountInfo("Open port @COM2"), 0);

  // The user may look at another node meanwhile; the scan's result replaces the tree after.
  SelectNode("New File");
  EXPECT_EQ(window.CurrentEntry(), window.Entries().FileEntries().front().get());
  ASSERT_TRUE(WaitForDevice());
  EXPECT_EQ(TreeTexts(), (QStringList{TreeTexts().front(), "New File"}));
  EXPECT_TRUE(TreeTexts().front().startsWith("COM2,"));
  for (const QString& text : TreeTexts()) {
    SelectNode(text);
    EXPECT_TRUE(window.Entries().Contains(window.CurrentEntry())) << text.toStdString();
  }
  EXPECT_EQ(CountInfo("Connected device is"), 1);
}

// A controller taken away in the middle of a write: one line says where it stopped answering,
// and the fields it may not hold are named as the change view names them, with their units.
TEST_F(DeviceActionsTest, AnInterruptedWriteSaysWhereItStoppedInThePagesWords) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.vanishAfterWrites = 1;
  sim::Controller& com1 = simulator.AddController(setup);
  simulator.Start();
  WritePorts({{"COM1", com1.Path()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());

  const QStringList lines = InfoLines();
  const auto stopped = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
    return line.contains("] Write to device:: The controller stopped answering after 1 of ");
  });
  ASSERT_NE(stopped, lines.end()) << lines.join('\n').toStdString();
  EXPECT_EQ(*(stopped - 1), "Failure");
  const QRegularExpression field(
      "\\] Write to device:: (.+): the entry holds (.+), the controller did not confirm it\\.$");
  int named = 0;
  bool volts = false;
  for (auto line = stopped + 1; line != lines.end() && line->contains("the entry holds"); ++line) {
    const QRegularExpressionMatch match = field.match(*line);
    ASSERT_TRUE(match.hasMatch()) << line->toStdString();
    // The pages' Chinese labels, never the internal names ("BattOVP", "channel 1 Mode").
    EXPECT_TRUE(match.captured(1).contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]"))) << line->toStdString();
    volts = volts || match.captured(2).endsWith(" V");
    ++named;
  }
  EXPECT_GT(named, 0);
  EXPECT_TRUE(volts) << "voltages are named with their unit";
}

TEST_F(DeviceActionsTest, ScanWithoutAnyPortFallsBackToTheFileEntries) {
  TFormLUM& window = Create();
  window.RebuildEntryTree();
  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_TRUE(window.Entries().DeviceEntries().empty());
  EXPECT_EQ(TreeTexts(), QStringList{"New File"});
  EXPECT_EQ(window.CurrentEntry(), window.Entries().FileEntries().front().get());
  EXPECT_EQ(CountInfo("Open port"), 0);
  EXPECT_EQ(CountInfo("] Scan connected device:: No serial port was found."), 1);
}

// A port held by another program: the scan says which port it could not open.
TEST_F(DeviceActionsTest, ScanWhoseOnlyPortIsHeldSaysSo) {
  PtyPair line;
  WritePorts({{"COM1", line.SlavePath()}});
  TFormLUM& window = Create();
  const auto holder = OpenPort(line.SlavePath(), 38400);
  ASSERT_NE(holder, nullptr);
  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_TRUE(window.Entries().DeviceEntries().empty());
  EXPECT_EQ(CountInfo("] Scan connected device:: No port could be opened (tried COM1)."), 1);
}

TEST_F(DeviceActionsTest, ScanAsksToApplyEditsOfAFileEntryFirst) {
  TFormLUM& window = Create();
  TDEVICE_CONFIG& file = AddFileEntry("/cfg/zeta.LUM", SampleBlock(1));
  SelectNode("zeta.LUM");
  Find<QLineEdit>(*window.ui().PageControl, "lbledtBattOVP")->setText("14.90");
  ASSERT_TRUE(file.Modified);
  dialogs_.AnswerYesNo(true);
  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(file.Config.BattOVP(), 14900);
}

TEST_F(DeviceActionsTest, WriteSendsAnOpenedFileToTheFirstControllerOfItsProduct) {
  sim::ControllerSetup other = sim::DefaultSetup(0);
  sim::ControllerSetup target = sim::DefaultSetup(1);
  target.serialNumber = 0x12345678;
  sim::Controller& com1 = simulator.AddController(other);
  sim::Controller& com2 = simulator.AddController(target);
  sim::Controller& com3 = simulator.AddController(target);
  simulator.Start();
  WritePorts({{"COM1", com1.Path()}, {"COM2", com2.Path()}, {"COM3", com3.Path()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  window.RebuildEntryTree();

  TCONFIG_BLOCK written = target.config;
  written.SetBattOVP(static_cast<uint16_t>(target.config.BattOVP() + 200));
  written.Channel(0, 0).Timing(2).SetMinutes(321);
  const std::string path = PathIn("written.LUM");
  SaveConfigFile(path, written);
  dialogs_.AnswerFileName(QString::fromStdString(path));
  u.actOpenConfigFile->trigger();
  ASSERT_TRUE(u.actWriteToDevice->isEnabled());
  SelectNode("written.LUM");
  TDEVICE_CONFIG& entry = *window.CurrentEntry();
  const TCONFIG_BLOCK before = entry.Config;
  const int selectedLines = CountInfo("Currently selected object");

  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());

  EXPECT_EQ(com2.Config().BattOVP(), written.BattOVP());
  EXPECT_EQ(com2.Config().Channel(0, 0).Timing(2).Minutes(), 321);
  EXPECT_EQ(com3.Config().BattOVP(), target.config.BattOVP()) << "only the first match is written";
  const QStringList lines = InfoLines();
  const qsizetype com2Line = lines.indexOf(QRegularExpression(".*Open port @COM2\\."));
  ASSERT_GT(com2Line, 0);
  EXPECT_EQ(lines[com2Line - 1], "Failure") << "COM1 holds another product";
  ASSERT_GE(lines.size(), com2Line + 5);
  EXPECT_TRUE(lines[com2Line + 1].endsWith("] Write to device:: Checking product ID ..."));
  EXPECT_EQ(lines[com2Line + 2], "Ok");
  EXPECT_TRUE(lines[com2Line + 3].contains("Writing configuration data"));
  EXPECT_EQ(lines[com2Line + 4], "Ok");
  EXPECT_EQ(lines.mid(com2Line + 5), QStringList{QString()}) << "the write ends with one empty line";
  EXPECT_EQ(CountInfo("Open port @COM3"), 0);

  // Only the serial number comes back into the entry; the tree stays as it was.
  EXPECT_EQ(entry.SerialNumber, target.serialNumber);
  EXPECT_TRUE(entry.Config.bytes() == before.bytes());
  EXPECT_FALSE(entry.Modified);
  EXPECT_EQ(window.CurrentEntry(), &entry);
  EXPECT_EQ(CountInfo("Currently selected object"), selectedLines);
}

// A controller that keeps another value than the one written: the write ends in "Failure" and the
// field is named in the pages' words, with what the entry holds and what the controller holds, in
// volts.
TEST_F(DeviceActionsTest, AFailedVerificationNamesTheFieldWithBothValues) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.alterations[command::kBattOVP] = {sim::AlterKind::Increment};
  sim::Controller& com1 = simulator.AddController(setup);
  simulator.Start();
  WritePorts({{"COM1", com1.Path()}});
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  window.RebuildEntryTree();

  TCONFIG_BLOCK written = setup.config;
  written.SetBattOVP(static_cast<uint16_t>(setup.config.BattOVP() + 200));
  const std::string path = PathIn("written.LUM");
  SaveConfigFile(path, written);
  dialogs_.AnswerFileName(QString::fromStdString(path));
  u.actOpenConfigFile->trigger();
  SelectNode("written.LUM");
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());

  EXPECT_NE(com1.Config().BattOVP(), written.BattOVP()) << "the controller kept its own value";
  const QStringList lines = InfoLines();
  const qsizetype writing = lines.indexOf(QRegularExpression(".*Writing configuration data.*"));
  ASSERT_GE(writing, 0) << lines.join('\n').toStdString();
  ASSERT_GT(lines.size(), writing + 2) << lines.join('\n').toStdString();
  EXPECT_EQ(lines[writing + 1], "Failure");
  const QRegularExpression field(
      "\\] Write to device:: (.*[\\x{4e00}-\\x{9fff}].*): the entry holds (.+ V.*), the controller holds (.+ V.*)\\.$");
  const QRegularExpressionMatch match = field.match(lines[writing + 2]);
  ASSERT_TRUE(match.hasMatch()) << lines[writing + 2].toStdString();
  // One millivolt apart: the same at two decimals, so the raw values are shown beside them.
  EXPECT_EQ(match.captured(2).toStdString(),
            fmt::format("{} V ({})", FormatScaled(written.BattOVP(), kScaleMilli), written.BattOVP()));
  EXPECT_EQ(match.captured(3).toStdString(),
            fmt::format("{} V ({})", FormatScaled(written.BattOVP(), kScaleMilli), com1.Config().BattOVP()));
}

}  // namespace
}  // namespace lum::test
