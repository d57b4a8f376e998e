#include "BusDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace lum {

namespace {

// Wide enough for "COM16 #255, " and a long model name.
constexpr int kChoiceWidth = 260;
// An address list such as "1-32,40,50-60" fits; longer ones scroll.
constexpr int kAddressesWidth = 200;

// A modal dialog with a form of a choice and a text, and Ok / Cancel; false when cancelled.
bool RunChoiceAndText(QDialog& dialog, const QString& title, QFormLayout& form) {
  dialog.setWindowTitle(title);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form.addRow(buttons);
  return dialog.exec() == QDialog::Accepted;
}

QComboBox* AddChoice(QDialog& dialog, QFormLayout& form, const char* name, const QString& label,
                     const QStringList& items, int chosen) {
  auto* choice = new QComboBox(&dialog);
  choice->setObjectName(QString::fromLatin1(name));
  choice->addItems(items);
  choice->setCurrentIndex(chosen);
  choice->setMinimumWidth(kChoiceWidth);
  form.addRow(label, choice);
  return choice;
}

}  // namespace

std::optional<BusAnswer> ShowBusDialog(QWidget* parent, const BusQuestion& question) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("FormBusAddresses"));
  auto* form = new QFormLayout(&dialog);
  QComboBox* port = AddChoice(dialog, *form, "cbbBusPort", question.portLabel, question.ports, question.port);
  auto* addresses = new QLineEdit(question.addresses, &dialog);
  addresses->setObjectName(QStringLiteral("edtBusAddresses"));
  addresses->setMinimumWidth(kAddressesWidth);
  form->addRow(question.addressesLabel, addresses);
  addresses->setFocus();
  if (!RunChoiceAndText(dialog, question.title, *form)) return std::nullopt;
  return BusAnswer{port->currentIndex(), addresses->text()};
}

std::optional<AddressAnswer> ShowAddressDialog(QWidget* parent, const AddressQuestion& question) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("FormAssignAddress"));
  auto* form = new QFormLayout(&dialog);
  QComboBox* controller = AddChoice(dialog, *form, "cbbAddressController", question.controllerLabel,
                                    question.controllers, question.controller);
  auto* address = new QLineEdit(&dialog);
  address->setObjectName(QStringLiteral("edtNewAddress"));
  form->addRow(question.addressLabel, address);
  address->setFocus();
  if (!RunChoiceAndText(dialog, question.title, *form)) return std::nullopt;
  return AddressAnswer{controller->currentIndex(), address->text()};
}

}  // namespace lum
