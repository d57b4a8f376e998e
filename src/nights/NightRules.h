#pragma once

#include <cstdint>

#include "data/ConfigBlock.h"
#include "data/NightProfile.h"

namespace lum::nights {

/// What the controller decides a night and its load by, in natural units.
struct NightRules {
  double switchVolts = 5.0;        // SCV: below it the controller counts dark
  int64_t switchDelayMs = 30'000;  // how long the crossing must hold
  double cutVolts = 11.2;          // BattUVP: the load is cut at or below it
  double reconnectVolts = 12.5;    // BattUVR: and stays off until the battery was above it
  NightProfile profile;            // output 1's programme
};

/// The rules a configuration block holds (output 1 of the block's device type; an unknown
/// type keeps the default programme).
NightRules RulesOfBlock(const TCONFIG_BLOCK& block);

}  // namespace lum::nights
