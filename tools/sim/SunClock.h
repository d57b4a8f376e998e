#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "data/ConfigBlock.h"
#include "sim/SunWorld.h"

namespace lum::sim {

/// A SunWorld on an accelerated clock: `speed` simulated seconds pass in each real one.
class AcceleratedSun {
 public:
  AcceleratedSun(const SunWorldSetup& setup, double speed);
  /// The world `elapsedMs` of real time after the simulator started.
  SunWorldValues At(uint64_t elapsedMs);

 private:
  std::mutex mutex_;
  SunWorld world_;
  int64_t start_ms_;
  double speed_;
};

/// What --sun and its companions asked for.
struct SunOptions {
  std::string site;    // "LAT,LON"
  double speed = 1;    // simulated seconds per real second
  std::string cloudy;  // days since the start, "2,3,4"
  std::string faults;  // "dead-lamp=2;5,broken-panel=3,ageing=1.5"
};

/// The world of a controller: its switch, cut and programme (output 1) from its block, the
/// site, clouds and faults from the options, starting now. Throws std::invalid_argument
/// naming what was wrong.
SunWorldSetup SunSetupFor(const TCONFIG_BLOCK& block, const SunOptions& options, int64_t nowMs);

}  // namespace lum::sim
