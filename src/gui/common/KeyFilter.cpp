#include "KeyFilter.h"

#include <QKeyEvent>

namespace lum {

namespace {
constexpr char16_t kBackspace = 8;
constexpr char16_t kEnter = 13;

// A key with a printable text and no command modifier puts a character into the field.
bool TypesCharacter(const QKeyEvent& key) {
  if (key.text().isEmpty() || !key.text().front().isPrint()) return false;
  return (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) == 0;
}
}  // namespace

bool AcceptsDigitKey(QChar typed, const QString& /*text*/) {
  return typed == QChar(kBackspace) || typed == QChar(kEnter) || (typed >= u'0' && typed <= u'9');
}

KeyFilter::KeyFilter(KeyRule rule, std::function<QString()> currentText, std::function<void(QChar typed)> refused,
                     QObject* parent)
    : QObject(parent), rule_(std::move(rule)), current_text_(std::move(currentText)), refused_(std::move(refused)) {}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  QChar typed;
  if (key->key() == Qt::Key_Backspace)
    typed = QChar(kBackspace);
  else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
    typed = QChar(kEnter);
  else if (TypesCharacter(*key))
    typed = key->text().front();
  else
    return false;  // Tab, Escape, Ctrl+C, cursor keys, Delete...: not typing, so they pass
  if (rule_(typed, current_text_())) return false;
  refused_(typed);
  return true;
}

}  // namespace lum
