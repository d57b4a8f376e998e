#pragma once

#include "data/DeviceConfig.h"
#include "device/Scan.h"

namespace lum {

class TFormLUM;

/// The device page: the device type list and the identity of the controller shown (model,
/// serial number, firmware, date of manufacture). The device type chosen decides what the
/// other pages offer, so its change is the window's to handle.
class DevicePage {
 public:
  explicit DevicePage(TFormLUM& window) : window_(window) {}

  void ConnectHandlers();
  /// The device types under their built-in names, none selected.
  void ListDeviceTypes();
  /// Shows the entry's identity and selects the device type of its product code, if any.
  void Show(const TDEVICE_CONFIG& entry);
  /// The device type row selected, -1 for none.
  int SelectedRow() const;
  /// The names of the device types as listed (a language may have renamed them).
  DeviceTypeNames ListedTypes() const;
  /// The status bar's device panel names the type selected, or is empty.
  void ShowTypeInStatusBar();

 private:
  TFormLUM& window_;
};

}  // namespace lum
