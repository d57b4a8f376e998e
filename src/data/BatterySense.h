#pragma once

#include <cstdint>
#include <vector>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

namespace lum {

/// A battery voltage of a block that makes no sense for the battery type its voltages are
/// nearest to: far outside that type's preset, as a slip of the keys gives (125 V for 12.5 V).
struct VoltageDoubt {
  const ConfigField* field;
  int batteryRow;  // the row of the battery type table it was compared with
  uint16_t low;    // the voltages, in mV, that make sense there for the field
  uint16_t high;
};

/// The four battery voltages of the block that lie outside the sensible range of the battery
/// type whose presets they are nearest to, in the order of the field table.
std::vector<VoltageDoubt> DoubtfulBatteryVoltages(const TCONFIG_BLOCK& block);

}  // namespace lum
