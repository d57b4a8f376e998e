#include <gtest/gtest.h>

#include <QAction>
#include <QFontDatabase>
#include <QLineEdit>
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

TEST_F(WindowSizeTest, AutoScaleFollowsTheWidthAndHidesTheStatusBar) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  u.PageControl->setCurrentWidget(u.tsLoad);
  const int treeFont = u.tvDevices->font().pixelSize();
  window.resize(960, 816);
  u.actAutoScale->trigger();

  EXPECT_EQ(window.RememberedWidth(), 960);
  EXPECT_TRUE(u.StatusBar->isHidden());
  EXPECT_EQ(u.StringGrid->maximumSize(), QSize(338, 239));
  EXPECT_EQ(u.tvDevices->minimumWidth(), 242);
  EXPECT_EQ(u.tvDevices->font().pixelSize(), qRound(treeFont * 1.5));
  EXPECT_EQ(u.StringGrid->columnWidth(0) + u.StringGrid->columnWidth(1) + u.StringGrid->columnWidth(2), 338 - 6);
  EXPECT_EQ(u.StringGrid->rowHeight(1), (239 - 9) / 6);

  // Pressed again at the same width: the scale stays, only the cells are sized again.
  u.actAutoScale->trigger();
  EXPECT_EQ(u.StringGrid->maximumSize(), QSize(338, 239));
  EXPECT_EQ(u.tvDevices->font().pixelSize(), qRound(treeFont * 1.5));
}

TEST_F(WindowSizeTest, AutoScaleAtTheStartWidthScalesByOneAndStillHidesTheStatusBar) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  u.actAutoScale->trigger();
  EXPECT_TRUE(u.StatusBar->isHidden());
  EXPECT_EQ(u.StringGrid->maximumSize(), QSize(225, 159));
  // The grid was hidden on its page: its cells are sized when it is shown.
  u.PageControl->setCurrentWidget(u.tsLoad);
  EXPECT_EQ(u.StringGrid->columnWidth(0) + u.StringGrid->columnWidth(1) + u.StringGrid->columnWidth(2), 225 - 6);
  EXPECT_EQ(u.StringGrid->rowHeight(0), 25);
}

// Numeric fields get their fixed-pitch font when their page is first shown, and it is scaled
// with the window whether or not their page was shown before.
TEST_F(WindowSizeTest, NumericFieldsAreFixedPitchAndScaleWithTheWindow) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  const int pixels = window.font().pixelSize();
  const QString fixedPitch = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  u.PageControl->setCurrentWidget(u.tsPower);
  EXPECT_EQ(u.lbledtBattOVP->font().family(), fixedPitch);
  EXPECT_EQ(u.lbledtBattOVP->font().pixelSize(), pixels);

  window.resize(960, 816);
  u.actAutoScale->trigger();
  u.PageControl->setCurrentWidget(u.tsLoad);
  for (QWidget* field : std::initializer_list<QWidget*>{u.lbledtBattOVP, u.lbledtCC, &window.Load().seInput()}) {
    EXPECT_EQ(field->font().family(), fixedPitch) << field->objectName().toStdString();
    EXPECT_EQ(field->font().pixelSize(), qRound(pixels * 1.5)) << field->objectName().toStdString();
  }
}

}  // namespace
}  // namespace lum::test
