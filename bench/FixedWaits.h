#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "device/DeviceContext.h"
#include "sim/ControllerSetup.h"

namespace lum::bench {

/// The floor of a device operation: the sum of the fixed waits it makes when the controller
/// on COM1 answers every request at once. Runs `operation` against such a controller with a
/// clock that only counts.
uint64_t FixedWaitsMs(const sim::ControllerSetup& setup, const std::function<void(DeviceContext&)>& operation);

/// The same for a bus on COM1 looked at on `addresses`, its `units` answering every request
/// to their address at once and the silent addresses waited out in full.
uint64_t BusFixedWaitsMs(const std::vector<sim::ControllerSetup>& units, const BusAddresses& addresses,
                         const std::function<void(DeviceContext&)>& operation);

}  // namespace lum::bench
