#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace lum {

/// Decides whether a typed character may reach a field; `text` is the field's current text.
using KeyRule = std::function<bool(QChar typed, const QString& text)>;

/// Backspace, Enter and the digits 0-9 (the grid editor's keys).
bool AcceptsDigitKey(QChar typed, const QString& text);

/// Keeps typed characters that the rule refuses out of the field and hands each to `refused`,
/// which tells the user: a refused key is never dropped silently. Only keys that type a
/// character (and Backspace and Enter) are judged: Tab, Escape, clipboard keys, cursor
/// movement, Delete and the like pass untouched.
class KeyFilter : public QObject {
 public:
  KeyFilter(KeyRule rule, std::function<QString()> currentText, std::function<void(QChar typed)> refused,
            QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyRule rule_;
  std::function<QString()> current_text_;
  std::function<void(QChar)> refused_;
};

}  // namespace lum
