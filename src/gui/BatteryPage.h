#pragma once

#include "data/ConfigBlock.h"

namespace Ui {
class TFormLUM;
}

namespace lum {

/// The battery page of the main window: the battery type list and its four voltage fields.
class BatteryPage {
 public:
  explicit BatteryPage(Ui::TFormLUM& ui) : ui_(ui) {}

  /// Selects the battery type whose presets are the block's voltages, else custom, and locks
  /// the voltage fields unless custom.
  void ShowMatchingType(const TCONFIG_BLOCK& block);
  /// A type's presets are fixed; custom parameters are typed by the user.
  void LockVoltages();
  /// Shows the chosen type's presets in the voltage fields and its SCV on the solar page.
  void ShowPresets();

 private:
  Ui::TFormLUM& ui_;
};

}  // namespace lum
