// Every text of every window stands out from its background under the default and a dark
// palette: the design's fixed colours come with fixed text colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>

#include "LanguageTestFixture.h"
#include "data/TypeTables.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

// WCAG's contrast ratio of two colours, 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a text is drawn on when its widget paints no background of its own.
QColor BackgroundBehind(const QWidget& widget) {
  for (const QWidget* w = &widget; w != nullptr; w = w->parentWidget())
    if (w->autoFillBackground() || w->isWindow()) return w->palette().color(QPalette::Active, QPalette::Window);
  return widget.palette().color(QPalette::Active, QPalette::Window);
}

// Enabled texts whose colour is too close to their background.
QStringList FaintTexts(QWidget& window) {
  QStringList problems;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || !widget->isEnabled() || widget->isWindow()) continue;
    const QPalette& p = widget->palette();
    auto colour = [&](QPalette::ColorRole role) { return p.color(QPalette::Active, role); };
    QColor text;
    QColor back;
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget) ||
        qobject_cast<QGroupBox*>(widget)) {
      text = colour(QPalette::WindowText);
      back = BackgroundBehind(*widget);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      text = colour(QPalette::ButtonText);
      back = button->isFlat() ? BackgroundBehind(*widget) : colour(QPalette::Button);
    } else if (qobject_cast<QComboBox*>(widget)) {
      text = colour(QPalette::ButtonText);
      back = colour(QPalette::Button);
    } else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
               qobject_cast<QAbstractItemView*>(widget)) {
      text = colour(QPalette::Text);
      back = colour(QPalette::Base);
    } else {
      continue;
    }
    const double ratio = Contrast(text, back);
    if (ratio < 4.5)
      problems << QStringLiteral("%1: %2 on %3, %4 : 1")
                      .arg(WidgetPath(*widget), text.name(), back.name(), QString::number(ratio, 'f', 2));
  }
  return problems;
}

class ContrastTest : public EveryDeviceTypeFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    EveryDeviceTypeFixture::SetUp();
    saved_ = QApplication::palette();
    if (GetParam()) QApplication::setPalette(DarkPalette());
  }
  void TearDown() override {
    EveryDeviceTypeFixture::TearDown();
    QApplication::setPalette(saved_);
  }
  static QPalette DarkPalette() {
    QPalette dark;
    const QColor window(45, 45, 48);
    const QColor field(30, 30, 30);
    const QColor text(230, 230, 230);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, field);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(38, 79, 120));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Light, QColor(70, 70, 74));
    dark.setColor(QPalette::Mid, QColor(35, 35, 38));
    dark.setColor(QPalette::Dark, QColor(20, 20, 22));
    return dark;
  }
  QPalette saved_;
};

TEST_P(ContrastTest, EveryTextStandsOutFromItsBackground) {
  CreateAll();
  QStringList problems;
  Ui::TFormLUM& u = Window().ui();
  for (int page = 0; page < u.PageControl->count(); ++page) {
    if (!u.PageControl->isTabVisible(page)) continue;
    u.PageControl->setCurrentIndex(page);
    problems << FaintTexts(Window());
  }
  for (QWidget* window : std::initializer_list<QWidget*>{&Upgrade(), &About()}) problems << FaintTexts(*window);
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(DefaultAndDark, ContrastTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "Dark" : "Default"; });

}  // namespace
}  // namespace lum::test
