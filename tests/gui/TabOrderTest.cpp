// Moving through the window with Tab: every stop is a control the user sees take the focus,
// and the round comes back to where it started.
#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using TabOrderTest = WindowFixture;

// A stop shows its focus when the widget is on screen and draws a focus mark or a caret;
// auto-raised tool bar buttons draw none.
bool ShowsFocus(const QWidget& widget) {
  const auto* tool = qobject_cast<const QToolButton*>(&widget);
  return widget.isVisible() && !(tool != nullptr && tool->autoRaise());
}

TEST_F(TabOrderTest, TabGoesOnlyThroughControlsThatShowTheirFocusAndComesBack) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  for (QWidget* page : {u.tsBase, u.tsPower, u.tsLoad, u.tsOther}) {
    u.PageControl->setCurrentWidget(page);
    u.PageControl->setFocus();
    QWidget* start = QApplication::focusWidget();
    ASSERT_NE(start, nullptr);
    QStringList stops;
    bool back = false;
    for (int n = 0; n < 100 && !back; ++n) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focus = QApplication::focusWidget();
      ASSERT_NE(focus, nullptr);
      back = focus == start;
      stops << focus->objectName();
      EXPECT_TRUE(ShowsFocus(*focus)) << "no visible focus on " << focus->objectName().toStdString() << " after "
                                      << stops.join(QStringLiteral(", ")).toStdString();
    }
    EXPECT_TRUE(back) << stops.join(QStringLiteral(", ")).toStdString();
  }
}

}  // namespace
}  // namespace lum::test
