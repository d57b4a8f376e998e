#pragma once

#include <QString>
#include <memory>

#include "FormPage.h"
#include "data/DeviceConfig.h"
#include "device/Scan.h"

namespace Ui {
class DevicePage;
}

namespace lum {

/// The device page: the device type list and the identity of the controller shown (model,
/// serial number, firmware, date of manufacture). The device type chosen decides what the
/// other pages offer, so the page tells the window of the user's choice by `typeTaken`.
class DevicePage : public FormPage {
  Q_OBJECT

 public:
  explicit DevicePage(QWidget* parent = nullptr);
  ~DevicePage() override;

  /// The device types under their built-in names, none selected.
  void ListDeviceTypes();
  /// Shows the entry's identity and selects the device type of its product code, if any.
  void Show(const TDEVICE_CONFIG& entry);
  /// The device type row selected, -1 for none.
  int SelectedRow() const;
  /// The name of the device type selected as listed, empty for none.
  QString SelectedTypeName() const;
  /// The names of the device types as listed (a language may have renamed them).
  DeviceTypeNames ListedTypes() const;

 signals:
  /// The user took a device type from the list.
  void typeTaken();
  /// The device type selected changed, by the user or by an entry shown.
  void selectedTypeChanged();

 private:
  std::unique_ptr<Ui::DevicePage> ui_;
};

}  // namespace lum
