#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "LoadPage.h"
#include "TimingGrid.h"
#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using WindowSizeTest = WindowFixture;

TEST_F(WindowSizeTest, WindowNeverGetsSmallerThanItsStartSize) {
  TFormLUM& window = CreateShown();
  window.resize(500, 400);
  EXPECT_EQ(window.size(), QSize(640, 544));
  window.resize(700, 300);
  EXPECT_EQ(window.size(), QSize(700, 544));
}

// The status bar stays (it shows the node, the device type and the monitor's state), inside
// the window.
void ExpectStatusBarShown(TFormLUM& window) {
  const QStatusBar& bar = *window.ui().StatusBar;
  EXPECT_TRUE(bar.isVisible());
  EXPECT_LE(bar.geometry().bottom(), window.rect().bottom());
  EXPECT_GT(bar.height(), 0);
}

// Every cell of the timing grid is seen whole, without a scroll bar ...
void ExpectEveryCellShown(const QTableWidget& grid) {
  int width = 0, height = 0;
  for (int column = 0; column < grid.columnCount(); ++column) width += grid.columnWidth(column);
  for (int row = 0; row < grid.rowCount(); ++row) height += grid.rowHeight(row);
  EXPECT_LE(width, grid.viewport()->width());
  EXPECT_LE(height, grid.viewport()->height());
  EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
  EXPECT_FALSE(grid.verticalScrollBar()->isVisible());
  // ... and the cells take the grid, not a corner of it.
  EXPECT_GE(width * 10, grid.viewport()->width() * 9);
  EXPECT_GE(height * 10, grid.viewport()->height() * 9);
}

TEST_F(WindowSizeTest, AutoScaleFollowsTheWidthAndKeepsTheStatusBar) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  u.PageControl->setCurrentWidget(u.tsLoad);
  const int treeFont = u.tvDevices->font().pixelSize();
  u.actAutoScale->trigger();  // at the start width: the designed sizes
  const QSize startGrid = Find<QTableWidget>(*u.tsLoad, "StringGrid")->maximumSize();
  const int startTree = u.tvDevices->minimumWidth();
  window.resize(960, 816);  // one and a half times the start width
  u.actAutoScale->trigger();
  QApplication::processEvents();

  EXPECT_EQ(window.RememberedWidth(), 960);
  ExpectStatusBarShown(window);
  const QSize grid = Find<QTableWidget>(*u.tsLoad, "StringGrid")->maximumSize();
  EXPECT_NEAR(grid.width(), startGrid.width() * 1.5, 1.0);
  EXPECT_NEAR(grid.height(), startGrid.height() * 1.5, 1.0);
  EXPECT_NEAR(u.tvDevices->minimumWidth(), startTree * 1.5, 1.0);
  EXPECT_EQ(u.tvDevices->font().pixelSize(), qRound(treeFont * 1.5));
  ExpectEveryCellShown(*Find<QTableWidget>(*u.tsLoad, "StringGrid"));

  // Pressed again at the same width: the scale stays, only the cells are sized again.
  u.actAutoScale->trigger();
  EXPECT_EQ(Find<QTableWidget>(*u.tsLoad, "StringGrid")->maximumSize(), grid);
  EXPECT_EQ(u.tvDevices->font().pixelSize(), qRound(treeFont * 1.5));
  ExpectEveryCellShown(*Find<QTableWidget>(*u.tsLoad, "StringGrid"));
}

TEST_F(WindowSizeTest, AutoScaleAtTheStartWidthScalesByOne) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  const int treeFont = u.tvDevices->font().pixelSize();
  u.actAutoScale->trigger();
  ExpectStatusBarShown(window);
  EXPECT_EQ(u.tvDevices->font().pixelSize(), treeFont);
  // The grid was hidden on its page: its cells are sized when it is shown.
  u.PageControl->setCurrentWidget(u.tsLoad);
  QApplication::processEvents();
  ExpectEveryCellShown(*Find<QTableWidget>(*u.tsLoad, "StringGrid"));
}

// Scaled for a wide window and then made narrower, the contents follow it down: the bottom
// buttons stay above the information panel and the status bar stays in the window.
TEST_F(WindowSizeTest, ContentsScaledForAWideWindowFitItWhenItShrinks) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  window.resize(960, 816);
  u.actAutoScale->trigger();
  window.resize(660, 560);
  QApplication::processEvents();
  EXPECT_EQ(window.RememberedWidth(), 660);
  ExpectStatusBarShown(window);
  const QRect buttons(u.pnlMainButton->mapTo(&window, QPoint(0, 0)), u.pnlMainButton->size());
  const QRect info(u.mmoInfo->mapTo(&window, QPoint(0, 0)), u.mmoInfo->size());
  EXPECT_LE(buttons.bottom(), info.top()) << "the bottom buttons overlap the information panel";
  EXPECT_LE(info.bottom(), u.StatusBar->geometry().top());
  EXPECT_LE(buttons.right(), window.width());
}

// The tree and the information panel are sized by splitters, from their designed sizes.
TEST_F(WindowSizeTest, TheTreeAndTheInformationPanelCanBeResized) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  EXPECT_EQ(u.tvDevices->width(), TFormLUM::kTreeWidth);
  EXPECT_EQ(u.mmoInfo->height(), TFormLUM::kInfoHeight);
  // Room for the pages beside a wider tree and above a taller panel.
  window.resize(1200, 900);
  QApplication::processEvents();
  const int across = u.splTree->width() - u.splTree->handleWidth();
  const int down = u.splInfo->height() - u.splInfo->handleWidth();
  u.splTree->setSizes({260, across - 260});
  u.splInfo->setSizes({down - 200, 200});
  QApplication::processEvents();
  EXPECT_EQ(u.tvDevices->width(), 260);
  EXPECT_EQ(u.mmoInfo->height(), 200);
  window.resize(1300, 950);
  QApplication::processEvents();
  EXPECT_EQ(u.tvDevices->width(), 260) << "the pages take a wider window, the tree keeps its width";
}

// A controller on a bus is named by port, address and model; the tree keeps its designed
// width (the pages beside it need the room) and tells a name it cuts in the node's tip.
TEST_F(WindowSizeTest, ABusControllersNameTheTreeCutsIsWholeInItsTip) {
  TFormLUM& window = CreateShown();
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = "COM3 #12";
  entry->Model = "LS-2420D";
  window.Entries().AddDeviceEntry(std::move(entry));
  window.RebuildEntryTree();
  QApplication::processEvents();
  const QTreeWidget& tree = *window.ui().tvDevices;
  const QList<QTreeWidgetItem*> found = tree.findItems(QStringLiteral("COM3 #12,LS-2420D"), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  EXPECT_EQ(found.front()->toolTip(0), QStringLiteral("COM3 #12,LS-2420D"));
}

// Numeric fields get their fixed-pitch font when their page is first shown, and it is scaled
// with the window whether or not their page was shown before.
TEST_F(WindowSizeTest, NumericFieldsAreFixedPitchAndScaleWithTheWindow) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  const int pixels = window.font().pixelSize();
  const QString fixedPitch = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  u.PageControl->setCurrentWidget(u.tsPower);
  EXPECT_EQ(Find<QLineEdit>(*u.PageControl, "lbledtBattOVP")->font().family(), fixedPitch);
  EXPECT_EQ(Find<QLineEdit>(*u.PageControl, "lbledtBattOVP")->font().pixelSize(), pixels);

  window.resize(960, 816);
  u.actAutoScale->trigger();
  u.PageControl->setCurrentWidget(u.tsLoad);
  for (QWidget* field :
       std::initializer_list<QWidget*>{Find<QLineEdit>(*u.PageControl, "lbledtBattOVP"),
                                       Find<QLineEdit>(*u.tsLoad, "lbledtCC"), &window.Load().seInput()}) {
    EXPECT_EQ(field->font().family(), fixedPitch) << field->objectName().toStdString();
    EXPECT_EQ(field->font().pixelSize(), qRound(pixels * 1.5)) << field->objectName().toStdString();
  }
}

}  // namespace
}  // namespace lum::test
