// The window as a keyboard and mouse user meets it: no key or wheel notch traps the user,
// reaches a hidden page or changes a value by accident.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include "TimingGrid.h"
#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class InputTrapsTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    CreateShown();
    FillTypeLists();
    entry_ = &AddFileEntry("/data/a.LUM", SampleBlock(1));
    SelectNode("a.LUM");
  }
  Ui::TFormLUM& u() { return Window().ui(); }

  // One notch of a mouse wheel over the middle of `widget`; negative notches roll down.
  static void Wheel(QWidget& widget, int notches) {
    const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
  }

  TDEVICE_CONFIG* entry_ = nullptr;
};

TEST_F(InputTrapsTest, WheelOverTheTabRowStaysOnShownPages) {
  QTabWidget& pages = *u().PageControl;
  QTabBar& tabs = *pages.tabBar();
  pages.setCurrentWidget(u().tsReal);
  for (int notch = 0; notch < 4; ++notch) {
    Wheel(tabs, -1);
    EXPECT_TRUE(pages.isTabVisible(pages.currentIndex())) << pages.currentWidget()->objectName().toStdString();
  }
  EXPECT_EQ(pages.currentWidget(), u().tsReal);
  // Rolling back still walks the shown pages.
  Wheel(tabs, 1);
  EXPECT_EQ(pages.currentWidget(), u().tsOther);
}

TEST_F(InputTrapsTest, WheelChangesListsAndSpinBoxesOnlyWithFocus) {
  QComboBox& types = *Find<QComboBox>(*u().PageControl, "cbbDeviceTypes");
  const int type = types.currentIndex();
  u().tvDevices->setFocus();
  Wheel(types, -1);
  u().PageControl->setCurrentWidget(u().tsPower);
  const int battery = Find<QComboBox>(*u().PageControl, "cbbBatteryType")->currentIndex();
  Wheel(*Find<QComboBox>(*u().PageControl, "cbbBatteryType"), -1);
  const int delay = Find<QSpinBox>(*u().PageControl, "seSCDelay")->value();
  Wheel(*Find<QSpinBox>(*u().PageControl, "seSCDelay"), 1);
  u().PageControl->setCurrentWidget(u().tsLoad);
  const int mode = Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->currentIndex();
  Wheel(*Find<QComboBox>(*u().tsLoad, "cbbWorkMode"), 1);
  EXPECT_EQ(types.currentIndex(), type);
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbBatteryType")->currentIndex(), battery);
  EXPECT_EQ(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->currentIndex(), mode);
  EXPECT_EQ(Find<QSpinBox>(*u().PageControl, "seSCDelay")->value(), delay);
  EXPECT_FALSE(entry_->Modified);

  // A list the user has put the focus on still follows the wheel.
  u().PageControl->setCurrentWidget(u().tsBase);
  types.setFocus();
  ASSERT_TRUE(types.hasFocus());
  Wheel(types, -1);
  EXPECT_NE(types.currentIndex(), type);
  EXPECT_TRUE(entry_->Modified);
}

TEST_F(InputTrapsTest, LightControlVoltageLetsTabAndEditingKeysThrough) {
  u().PageControl->setCurrentWidget(u().tsPower);
  QLineEdit& scv = *Find<QLineEdit>(*u().PageControl, "lbledtSCV");
  ASSERT_TRUE(scv.isEnabled());
  scv.setFocus();
  scv.setText(QStringLiteral("6.20"));

  QTest::keyClick(&scv, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(scv.selectedText(), QStringLiteral("6.20"));
  QTest::keyClick(&scv, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(&scv, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(scv.text(), QString());
  EXPECT_TRUE(Window().isVisible()) << "Ctrl+X in a field cuts, it does not end the program";
  QTest::keyClick(&scv, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(scv.text(), QStringLiteral("6.20"));

  // Typed characters stay as typed (up to the field's five); what is not a number is refused
  // when the value is taken.
  QTest::keyClicks(&scv, QStringLiteral("a.5"));
  EXPECT_EQ(scv.text(), QStringLiteral("6.20a"));

  QTest::keyClick(&scv, Qt::Key_Tab);
  EXPECT_FALSE(scv.hasFocus());
}

TEST_F(InputTrapsTest, GridEditorLeavesByTabAndEscapeRestoresTheCell) {
  u().PageControl->setCurrentWidget(u().tsLoad);
  QTableWidget& grid = *Find<QTableWidget>(*u().tsLoad, "StringGrid");
  GridSpinEdit& editor = Window().Load().seInput();
  const QString before = GridText(grid, 1, 2);

  grid.setCurrentCell(2, 1);
  ASSERT_TRUE(editor.isVisible());
  QTest::keyClicks(&editor, QStringLiteral("7"));
  EXPECT_EQ(GridText(grid, 1, 2), QStringLiteral("7"));
  QTest::keyClick(&editor, Qt::Key_Escape);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(GridText(grid, 1, 2), before);

  grid.setCurrentCell(3, 2);
  ASSERT_TRUE(editor.hasFocus());
  QTest::keyClick(&editor, Qt::Key_Tab);
  EXPECT_FALSE(editor.hasFocus());
  EXPECT_FALSE(editor.isVisible());

  grid.setCurrentCell(4, 2);
  ASSERT_TRUE(editor.hasFocus());
  QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(editor.Editor()->selectedText(), GridText(grid, 2, 4));
}

TEST_F(InputTrapsTest, ShortcutsStillWorkAfterAMenuIsClosedWithEscape) {
  QSignalSpy upgrades(u().actFirmwareUpgrade, &QAction::triggered);
  QSignalSpy opens(u().actOpenConfigFile, &QAction::triggered);
  dialogs_.AnswerFileName({});
  for (QMenu* menu : {u().MenuFile, u().MenuTools}) {
    u().MainMenu->setActiveAction(menu->menuAction());
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    QTest::keyClick(menu, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([menu] { return !menu->isVisible(); }));
  }
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, Qt::Key_F12);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(upgrades.count(), 1);
  EXPECT_EQ(opens.count(), 1);
}

}  // namespace
}  // namespace lum::test
