#include "FixedPitchFields.h"

#include <QAbstractSpinBox>
#include <QEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <algorithm>

namespace lum {

FixedPitchFields::FixedPitchFields(QTabWidget& pages, int pixels) : QObject(&pages), pixels_(pixels) {
  for (int i = 0; i < pages.count(); ++i) {
    QWidget* page = pages.widget(i);
    waiting_.emplace_back(page);
    page->installEventFilter(this);
  }
}

void FixedPitchFields::ApplyToAll() {
  for (const QPointer<QWidget>& page : std::vector<QPointer<QWidget>>(waiting_))
    if (!page.isNull()) Apply(*page);
}

bool FixedPitchFields::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show) Apply(static_cast<QWidget&>(*watched));
  return QObject::eventFilter(watched, event);
}

void FixedPitchFields::Apply(QWidget& page) {
  page.removeEventFilter(this);
  waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), QPointer<QWidget>(&page)), waiting_.end());
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(pixels_);
  for (QLineEdit* edit : page.findChildren<QLineEdit*>(QRegularExpression(QStringLiteral("^lbledt"))))
    edit->setFont(fixed);
  for (QAbstractSpinBox* spin : page.findChildren<QAbstractSpinBox*>()) spin->setFont(fixed);
}

}  // namespace lum
