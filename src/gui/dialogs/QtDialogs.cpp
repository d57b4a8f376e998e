#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "Dialogs.h"
#include "StartLine.h"

namespace lum {

namespace {
// Built by hand so that texts from language files and file names show as plain text.
int ShowPlainBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  return box.exec();
}

QString ProgramTitle() {
  return QString::fromStdString(ApplicationTitle(QApplication::applicationFilePath().toStdString()));
}
}  // namespace

bool QtDialogs::AskYesNo(const QString& title, const QString& text) {
  return ShowPlainBox(parent_, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                      QMessageBox::Yes) == QMessageBox::Yes;
}

Answer QtDialogs::AskYesNoCancel(const QString& title, const QString& text) {
  switch (ShowPlainBox(parent_, QMessageBox::Question, title, text,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;  // also the close box and Escape
  }
}

void QtDialogs::ShowError(const QString& text) {
  ShowPlainBox(parent_, QMessageBox::Critical, ProgramTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::ShowWarning(const QString& text) {
  ShowPlainBox(parent_, QMessageBox::Warning, ProgramTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::ShowInformation(const QString& text) {
  ShowPlainBox(parent_, QMessageBox::Information, ProgramTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
}

std::optional<QString> QtDialogs::OpenFileName(const QString& filter, const QString& directory,
                                               const QString& defaultSuffix) {
  // The static helper cannot add a default suffix, so the dialog is built by hand.
  QFileDialog dialog(parent_, {}, directory, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<QString> QtDialogs::SaveFileName(const QString& filter, const QString& defaultSuffix,
                                               const QString& directory) {
  // The static helper cannot add a default suffix, so the dialog is built by hand.
  QFileDialog dialog(parent_, {}, directory, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace lum
