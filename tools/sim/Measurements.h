#pragma once

#include <cstdint>
#include <memory>

#include "sim/SunClock.h"

namespace lum::sim {

/// Resting values of a controller's measurements; the live values drift above them.
struct MeasurementSetup {
  uint32_t powerOnSeconds = 0;  // power-on time when the simulation starts
  uint16_t batteryMv = 12600;
  uint16_t solar10Mv = 1750;  // tens of mV
  uint16_t temperature = 25;  // degrees C
  uint16_t load1Mv = 12400;
  uint16_t load1Ma = 800;
  /// When set, battery, solar and load follow this world instead.
  std::shared_ptr<AcceleratedSun> sun;
};

/// The measurements as a poll sees them.
struct Measurements {
  uint16_t powerOnMinutes = 0;  // wraps like a 16-bit counter
  uint8_t powerOnSeconds = 0;
  uint16_t batteryMv = 0;
  uint16_t solar10Mv = 0;
  uint16_t temperature = 0;
  uint16_t load1Mv = 0;
  uint16_t load1Ma = 0;
};

/// Values `elapsedMs` after the start: the power-on time counts on from its start value, the
/// others follow slow triangle waves above their resting values, so two polls a few seconds
/// apart differ while every run of the simulator shows the same sequence.
Measurements MeasurementsAt(const MeasurementSetup& setup, uint64_t elapsedMs);

}  // namespace lum::sim
