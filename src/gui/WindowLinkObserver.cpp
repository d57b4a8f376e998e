#include "WindowLinkObserver.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "WindowNames.h"

namespace lum {

namespace {
// The write ends with a line holding only a carriage return; the memo would take that as a
// line break of its own and show two empty lines, so a line's carriage returns are dropped.
void AppendLine(QWidget& window, const char* memoName, const std::string& line) {
  if (auto* memo = window.findChild<QPlainTextEdit*>(memoName))
    memo->appendPlainText(QString::fromStdString(line).remove(QLatin1Char('\r')));
}
}  // namespace

void WindowLinkObserver::InfoLine(const std::string& line) { AppendLine(window_, names::kInfoMemo, line); }

void WindowLinkObserver::TraceLine(const std::string& line) { AppendLine(window_, names::kTraceMemo, line); }

bool WindowLinkObserver::ShowErrorDetails() const {
  const auto* box = window_.findChild<QCheckBox*>(names::kErrorDetailsBox);
  return box != nullptr && box->isChecked();
}

void WindowLinkObserver::ProcessMessages() { QCoreApplication::processEvents(); }

void WindowLinkObserver::SetFieldText(const char* objectName, const std::string& text) {
  const QString value = QString::fromStdString(text);
  if (auto* edit = window_.findChild<QLineEdit*>(objectName))
    edit->setText(value);
  else if (auto* label = window_.findChild<QLabel*>(objectName))
    label->setText(value);
}

void WindowLinkObserver::SetFieldValue(const char* objectName, int value) {
  if (auto* spin = window_.findChild<QSpinBox*>(objectName)) spin->setValue(value);
}

void WindowLinkObserver::SetStatusFlags(const std::string& text) {
  if (auto* panel = window_.findChild<QLabel*>(names::StatusPanelName(names::kFlagsPanel)))
    panel->setText(QString::fromStdString(text));
}

void WindowLinkObserver::ClearStatusImage() {
  if (auto* image = window_.findChild<QLabel*>(names::kStatusImage)) image->clear();
}

}  // namespace lum
