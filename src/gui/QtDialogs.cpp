#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "Dialogs.h"

namespace lum {

bool QtDialogs::AskYesNo(const QString& title, const QString& text) {
  return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

Answer QtDialogs::AskYesNoCancel(const QString& title, const QString& text) {
  switch (QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;  // also the close box and Escape
  }
}

void QtDialogs::ShowError(const QString& text) {
  QMessageBox::critical(parent_, QApplication::applicationDisplayName(), text);
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
