#include "InputGuards.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QPushButton>
#include <QTabWidget>
#include <memory>

namespace lum {

namespace {
class WheelNeedsFocus : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    const auto* widget = static_cast<QWidget*>(watched);
    return !widget->hasFocus();
  }
};
}  // namespace

namespace {
class RaiseWhileFocused : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
      static_cast<QPushButton*>(watched)->setFlat(event->type() == QEvent::FocusOut);
    return false;
  }
};
}  // namespace

void FlatButtonsShowFocus(QWidget& root) {
  auto* filter = new RaiseWhileFocused(&root);
  for (QPushButton* button : root.findChildren<QPushButton*>())
    if (button->isFlat()) button->installEventFilter(filter);
}

void WheelOnlyWithFocus(QWidget& root) {
  auto* filter = new WheelNeedsFocus(&root);
  auto guard = [filter](QWidget* widget) {
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->installEventFilter(filter);
  };
  for (QComboBox* list : root.findChildren<QComboBox*>()) guard(list);
  for (QAbstractSpinBox* spin : root.findChildren<QAbstractSpinBox*>()) guard(spin);
}

void KeepHiddenPagesAway(QTabWidget& pages) {
  auto shown = std::make_shared<int>(pages.currentIndex());
  QObject::connect(&pages, &QTabWidget::currentChanged, &pages, [&pages, shown](int index) {
    if (index < 0 || pages.isTabVisible(index)) {
      *shown = index;
      return;
    }
    pages.setCurrentIndex(*shown);
  });
}

}  // namespace lum
