// Moving through the window with Tab: every stop is a control the user sees take the focus,
// and the round comes back to where it started.
#include <QApplication>
#include <QImage>
#include <QTabWidget>
#include <QTest>

#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using TabOrderTest = WindowFixture;

// A stop shows its focus when it looks different with the focus than without it.
bool ShowsFocus(QWidget& widget) {
  if (!widget.isVisible()) return false;
  widget.setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  const QImage focused = widget.grab().toImage();
  widget.clearFocus();
  QApplication::processEvents();
  const QImage unfocused = widget.grab().toImage();
  widget.setFocus(Qt::TabFocusReason);
  return focused != unfocused;
}

TEST_F(TabOrderTest, TabGoesOnlyThroughControlsThatShowTheirFocusAndComesBack) {
  TFormLUM& window = CreateShown();
  Ui::TFormLUM& u = window.ui();
  for (QWidget* page : std::initializer_list<QWidget*>{u.tsBase, u.tsPower, u.tsLoad, u.tsOther}) {
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
