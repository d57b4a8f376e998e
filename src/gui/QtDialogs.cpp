#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "Dialogs.h"

namespace lum {

bool QtDialogs::AskYesNo(const QString& title, const QString& text) {
  return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

void QtDialogs::ShowError(const QString& text) {
  QMessageBox::critical(parent_, QApplication::applicationDisplayName(), text);
}

std::optional<QString> QtDialogs::OpenFileName(const QString& filter, const QString& directory) {
  const QString name = QFileDialog::getOpenFileName(parent_, {}, directory, filter);
  if (name.isEmpty()) return std::nullopt;
  return name;
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
