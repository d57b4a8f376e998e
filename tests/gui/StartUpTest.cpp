#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

#include "StartLine.h"
#include "TimingGrid.h"
#include "WindowFixture.h"
#include "data/NewFileBlock.h"
#include "support/PtyPair.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

QStringList InfoLines(TFormLUM& window) {
  QStringList lines;
  for (QTextBlock b = window.ui().mmoInfo->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

TEST(ApplicationTitleTest, KeepsTheBaseNameWithOnlyTheFirstLetterInUpperCase) {
  EXPECT_EQ(ApplicationTitle("LUM.EXE"), "Lum");
  EXPECT_EQ(ApplicationTitle("C:\\Program Files\\LUM\\LUM.EXE"), "Lum");
  EXPECT_EQ(ApplicationTitle("/usr/local/bin/lum"), "Lum");
  EXPECT_EQ(ApplicationTitle("Tool.exe"), "Tool");
  EXPECT_EQ(ApplicationTitle("/opt/My.Tool.EXE"), "My.tool");
  EXPECT_EQ(ApplicationTitle(""), "");
}

TEST(ApplicationTitleTest, StartLineHasSixteenEqualSignsOnEachSide) {
  EXPECT_EQ(StartLine("Lum", "2016-07-28 09:15:02.125"),
            "================ Lum Started at 2016-07-28 09:15:02.125 ================");
}

using StartUpTest = WindowFixture;

TEST_F(StartUpTest, WindowStartsAtItsSizeOnTheDevicePageWithThreePagesHidden) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  EXPECT_EQ(window.size(), QSize(640, 544));
  EXPECT_EQ(window.RememberedWidth(), 640);
  EXPECT_EQ(u.PageControl->currentWidget(), u.tsBase);
  // The monitor and settings pages are out of the tab widget, their controls kept but unseen.
  for (QWidget* page : std::initializer_list<QWidget*>{u.tsTest, u.tsSetting}) {
    EXPECT_EQ(u.PageControl->indexOf(page), -1) << page->objectName().toStdString();
    EXPECT_FALSE(page->isVisible()) << page->objectName().toStdString();
  }
  EXPECT_FALSE(u.PageControl->isTabVisible(u.PageControl->indexOf(u.tsBlackBox)));
  for (QWidget* page : std::initializer_list<QWidget*>{u.tsBase, u.tsPower, u.tsLoad, u.tsOther, u.tsReal})
    EXPECT_TRUE(u.PageControl->isTabVisible(u.PageControl->indexOf(page))) << page->objectName().toStdString();
  for (QWidget* control : std::initializer_list<QWidget*>{
           Find<QLineEdit>(*u.PageControl, "lbledtSCV"), Find<QSpinBox>(*u.PageControl, "seSCDelay"),
           Find<QPushButton>(*u.PageControl, "btnSCDelayUnit"), Find<QComboBox>(*u.tsLoad, "cbbWorkMode"),
           Find<QCheckBox>(*u.tsLoad, "chkLoopMode")})
    EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  EXPECT_FALSE(u.actWriteToDevice->isEnabled());
  EXPECT_FALSE(u.actSaveConfigToFile->isEnabled());
  EXPECT_FALSE(u.btnWriteToDevice->isEnabled());
  EXPECT_FALSE(u.MenuHelpOnHelp->isEnabled());
  EXPECT_FALSE(window.Timer().isActive());
  EXPECT_EQ(window.Timer().interval(), 1000);
  EXPECT_FALSE(window.Session().MonitorOpen());
  EXPECT_FALSE(window.Session().Busy());
}

TEST_F(StartUpTest, NewFileEntryEqualsTheStartBlockByteForByte) {
  TFormLUM& window = Create();
  ASSERT_EQ(window.Entries().FileEntries().size(), 1u);
  const TDEVICE_CONFIG& entry = *window.Entries().FileEntries().front();
  EXPECT_EQ(window.CurrentEntry(), &entry);
  EXPECT_TRUE(entry.Name.empty());
  EXPECT_FALSE(entry.FromDevice);
  EXPECT_TRUE(entry.Config.bytes() == NewFileStartBlock().bytes());
}

TEST_F(StartUpTest, InformationPanelHoldsOnlyTheStartLineWithTheTitle) {
  TFormLUM& window = Create("/opt/lum/LUM.EXE");
  const QStringList lines = InfoLines(window);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral(R"(^={16} Lum Started at \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ={16}$)"))
          .match(lines[0])
          .hasMatch())
      << lines[0].toStdString();
}

TEST_F(StartUpTest, ToolExecutableGivesTheTitleTool) {
  TFormLUM& window = Create("/x/Tool.exe");
  EXPECT_TRUE(InfoLines(window).front().startsWith(QStringLiteral("================ Tool Started at ")));
}

// The window's 13-pixel font reaches everything on every page, while the desktop's own
// windows (menus, message boxes) keep the desktop's font.
TEST_F(StartUpTest, TheWindowFontReachesEveryPageButNotTheDesktopsWindows) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  EXPECT_EQ(window.font().pixelSize(), 13);
  for (QWidget* page :
       std::initializer_list<QWidget*>{u.tsBase, u.tsPower, u.tsLoad, u.tsOther, u.tsReal, u.tsTest, u.tsSetting}) {
    EXPECT_EQ(page->font(), window.font()) << page->objectName().toStdString();
    for (QWidget* widget : page->findChildren<QWidget*>()) {
      if (!widget->testAttribute(Qt::WA_SetFont) && !widget->isWindow()) {
        EXPECT_EQ(widget->font(), window.font()) << widget->objectName().toStdString();
      }
    }
  }
  EXPECT_EQ(u.MenuFile->font(), QApplication::font(u.MenuFile));
  EXPECT_NE(QApplication::font().pixelSize(), 13);
}

TEST_F(StartUpTest, DeviceTypesAreListedWithoutSelectionAndGridIsSizedWhenShown) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  u.PageControl->setCurrentWidget(u.tsLoad);
  ASSERT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->count(), 4);
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->itemText(0), QStringLiteral("单路普通型太阳能控制器"));
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->itemText(3), QStringLiteral("红外手持遥控器"));
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->currentIndex(), -1);
  EXPECT_EQ(Find<QTableWidget>(*u.tsLoad, "StringGrid")->size(), QSize(225, 159));
  // The columns share the 219 pixels inside the grid lines by what their texts need.
  EXPECT_EQ(Find<QTableWidget>(*u.tsLoad, "StringGrid")->columnWidth(0) +
                Find<QTableWidget>(*u.tsLoad, "StringGrid")->columnWidth(1) +
                Find<QTableWidget>(*u.tsLoad, "StringGrid")->columnWidth(2),
            219);
  EXPECT_GE(Find<QTableWidget>(*u.tsLoad, "StringGrid")->columnWidth(2),
            Find<QTableWidget>(*u.tsLoad, "StringGrid")->fontMetrics().horizontalAdvance(QStringLiteral("功率0-100%")));
  EXPECT_EQ(Find<QTableWidget>(*u.tsLoad, "StringGrid")->rowHeight(5), 25);
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u.tsLoad, "StringGrid"), 0, 0), QStringLiteral("时控设置"));
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u.tsLoad, "StringGrid"), 0, 5), QStringLiteral("第五段"));
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u.tsLoad, "StringGrid"), 2, 0), QStringLiteral("功率0-100%"));
}

TEST_F(StartUpTest, WithoutOpenablePortsTheMonitorButtonStaysDisabled) {
  WritePorts({{"COM3", Dir() + "/no-such-device"}});
  TFormLUM& window = Create();
  EXPECT_EQ(Find<QComboBox>(*window.ui().tsReal, "cbbRealComPort")->count(), 0);
  EXPECT_EQ(Find<QComboBox>(*window.ui().tsReal, "cbbRealComPort")->currentIndex(), -1);
  EXPECT_FALSE(Find<QPushButton>(*window.ui().tsReal, "btnRealPort")->isEnabled());
}

TEST_F(StartUpTest, OpenablePortsAreListedAndTheFirstIsSelected) {
  PtyPair second;
  PtyPair fifth;
  WritePorts({{"COM5", fifth.SlavePath()}, {"COM4", Dir() + "/no-such-device"}, {"COM2", second.SlavePath()}});
  TFormLUM& window = Create();
  QComboBox& ports = *Find<QComboBox>(*window.ui().tsReal, "cbbRealComPort");
  ASSERT_EQ(ports.count(), 2);
  EXPECT_EQ(ports.itemText(0), QStringLiteral("COM2"));
  EXPECT_EQ(ports.itemText(1), QStringLiteral("COM5"));
  EXPECT_EQ(ports.currentIndex(), 0);
  EXPECT_TRUE(Find<QPushButton>(*window.ui().tsReal, "btnRealPort")->isEnabled());
}

TEST_F(StartUpTest, ShowingSelectsTheNewFileNodeAndReportsIt) {
  TFormLUM& window = CreateShown();
  QTreeWidget& tree = *window.ui().tvDevices;
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
  EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("New File"));
  EXPECT_EQ(window.StatusPanel(0).text(), QStringLiteral("New File"));
  EXPECT_TRUE(window.StatusPanel(1).text().isEmpty());
  const QStringList lines = InfoLines(window);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(
      QRegularExpression(
          QStringLiteral(
              R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] Currently selected object is "New File" @0x[0-9A-F]{8}\.$)"))
          .match(lines[1])
          .hasMatch())
      << lines[1].toStdString();
  // Showing the entry does not count as an edit.
  EXPECT_FALSE(window.CurrentEntry()->Modified);
  EXPECT_FALSE(window.ui().actSaveConfigToFile->isEnabled());
}

TEST_F(StartUpTest, InjectedDialogsAreShownByTheirActions) {
  TFormLUM& window = Create();
  QDialog about;
  QDialog upgrade;
  window.SetAboutDialog(&about);
  window.SetUpgradeDialog(&upgrade);
  int aboutShown = 0;
  int upgradeShown = 0;
  QObject::connect(&about, &QDialog::finished, [&] { ++aboutShown; });
  QObject::connect(&upgrade, &QDialog::finished, [&] { ++upgradeShown; });
  // A modal dialog's loop runs until the queued reject closes it.
  QTimer::singleShot(0, &about, &QDialog::reject);
  window.ui().actAboutLUM->trigger();
  QTimer::singleShot(0, &upgrade, &QDialog::reject);
  window.ui().actFirmwareUpgrade->trigger();
  EXPECT_EQ(aboutShown, 1);
  EXPECT_EQ(upgradeShown, 1);
  EXPECT_TRUE(dialogs_.Errors().empty());
}

}  // namespace
}  // namespace lum::test
