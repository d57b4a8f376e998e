#pragma once

#include "data/ConfigBlock.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"

namespace lum {

class TFormLUM;

/// The battery page: the battery type list and its four voltage fields, the light control
/// (voltage, delay and the delay's unit) and the temperature compensation and limit.
class BatteryPage {
 public:
  explicit BatteryPage(TFormLUM& window) : window_(window) {}

  void ConnectHandlers();
  /// Enables what the capabilities give; the battery type goes back to custom parameters.
  void ApplyCapabilities(const Capabilities& caps);
  /// Shows the block's values, the page's flags and the battery type that matches them.
  void Show(const TCONFIG_BLOCK& block, const PageFlags& flags);
  /// The page's flag, as its check box says.
  void StoreFlags(PageFlags& flags) const;
  /// Stores what is enabled into the block. Throws ConversionError at the first text that is
  /// not a number; fields stored before it keep their new values.
  void Store(TCONFIG_BLOCK& block);

  /// Selects the battery type whose presets are the block's voltages, else custom, and locks
  /// the voltage fields unless custom.
  void ShowMatchingType(const TCONFIG_BLOCK& block);
  /// A type's presets are fixed; custom parameters are typed by the user.
  void LockVoltages();
  /// Shows the chosen type's presets in the voltage fields and its SCV on the solar page.
  void ShowPresets();

  /// The delay unit flag (0 or 1) that seSCDelay carries in its tag; 1 counts seconds.
  int DelayUnitFlag() const;
  void SetDelayUnitFlag(int flag);
  /// The delay unit button names the unit the flag counts.
  void RefreshShownTexts();

  void cbbBatteryTypeChange();
  void btnSCDelayUnitClick();

 private:
  /// Warns of each battery voltage just stored that makes no sense for the battery type its
  /// voltages are nearest to.
  void WarnOfDoubtfulVoltages(const TCONFIG_BLOCK& before, const TCONFIG_BLOCK& after);

  TFormLUM& window_;
};

}  // namespace lum
