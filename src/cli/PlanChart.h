#pragma once

#include <array>
#include <string>

#include "nights/EnergyPlan.h"

namespace lum::cli {

/// Twelve months as a PNG picture: per month the night length and the programme's lit hours
/// (on a 24-hour scale) and the Ah per night as a share of the usable capacity (full height),
/// red where the recordings saw the programme exceed the harvest. Throws std::runtime_error
/// when the file cannot be written.
void WritePlanChart(const std::string& path, const std::array<nights::PlanMonth, nights::kMonths>& months,
                    double usableAh);

}  // namespace lum::cli
