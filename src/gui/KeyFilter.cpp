#include "KeyFilter.h"

#include <QKeyEvent>

namespace lum {

namespace {
constexpr char16_t kBackspace = 8;
constexpr char16_t kEnter = 13;
constexpr char16_t kDelete = 127;
constexpr QChar kDecimalPoint = u'.';
}  // namespace

bool AcceptsDigitKey(QChar typed, const QString& /*text*/) {
  return typed == QChar(kBackspace) || typed == QChar(kEnter) || (typed >= u'0' && typed <= u'9');
}

bool AcceptsDecimalKey(QChar typed, const QString& text) {
  if (typed == kDecimalPoint) return !text.contains(kDecimalPoint);
  return AcceptsDigitKey(typed, text);
}

KeyFilter::KeyFilter(KeyRule rule, std::function<QString()> currentText, QObject* parent)
    : QObject(parent), rule_(std::move(rule)), current_text_(std::move(currentText)) {}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  QChar typed;
  if (key->key() == Qt::Key_Backspace)
    typed = QChar(kBackspace);
  else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
    typed = QChar(kEnter);
  else if (!key->text().isEmpty())
    typed = key->text().front();
  else
    return false;  // no character typed: navigation keys pass
  if (typed == QChar(kDelete)) return false;
  return !rule_(typed, current_text_());
}

}  // namespace lum
