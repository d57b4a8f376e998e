#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace lum {

/// What the bus dialog asks: which port is a bus, on which addresses. Texts in the language
/// in use; `port` and `addresses` are what it offers first.
struct BusQuestion {
  QString title;
  QString portLabel;
  QString addressesLabel;
  QStringList ports;
  int port = 0;  // index into `ports`
  QString addresses;
};

/// The user's answer: the port chosen and the addresses as typed (checked by the caller).
struct BusAnswer {
  int port = 0;
  QString addresses;
};

/// What the assign-address dialog asks: which controller, and its new address.
struct AddressQuestion {
  QString title;
  QString controllerLabel;
  QString addressLabel;
  QStringList controllers;
  int controller = 0;  // index into `controllers`
};

/// The controller chosen and the new address as typed (checked by the caller).
struct AddressAnswer {
  int controller = 0;
  QString address;
};

/// The bus dialog as a modal dialog; nullopt when cancelled.
std::optional<BusAnswer> ShowBusDialog(QWidget* parent, const BusQuestion& question);
/// The assign-address dialog as a modal dialog; nullopt when cancelled.
std::optional<AddressAnswer> ShowAddressDialog(QWidget* parent, const AddressQuestion& question);

}  // namespace lum
