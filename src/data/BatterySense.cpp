#include "data/BatterySense.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "data/TypeTables.h"

namespace lum {

namespace {

// A voltage within a fifth of the type's preset is a choice; beyond it, a slip. Real settings
// of one battery type differ by a few percent, never by a fifth.
constexpr unsigned kSensibleLowPercent = 80;
constexpr unsigned kSensibleHighPercent = 120;
constexpr unsigned kPercent = 100;
constexpr int kFirstBatteryRow = 1;  // row 0 is the user's own parameters, no battery

// The battery voltage fields and the presets of the battery type table that fill them.
struct BatteryVoltage {
  FieldId field;
  uint16_t TBATTERY_TYPES::*preset;
  uint32_t Of(const TCONFIG_BLOCK& block) const { return ReadValue(block, Field(field)); }
};

constexpr std::array<BatteryVoltage, 4> kVoltages{{
    {FieldId::BattOVP, &TBATTERY_TYPES::OVP},
    {FieldId::BattFCV, &TBATTERY_TYPES::FCV},
    {FieldId::BattUVP, &TBATTERY_TYPES::UVP},
    {FieldId::BattUVR, &TBATTERY_TYPES::UVR},
}};

// How far the four voltages lie from a type's presets, by ratio: one slip weighs less than
// four voltages of another type.
double Distance(const TCONFIG_BLOCK& block, const TBATTERY_TYPES& type) {
  double sum = 0;
  for (const BatteryVoltage& voltage : kVoltages) {
    const double value = std::max<uint32_t>(voltage.Of(block), 1);
    sum += std::abs(std::log(value / type.*voltage.preset));
  }
  return sum;
}

int NearestBatteryRow(const TCONFIG_BLOCK& block) {
  int nearest = kFirstBatteryRow;
  double best = std::numeric_limits<double>::max();
  for (int row = kFirstBatteryRow; row < kBatteryTypeCount; ++row) {
    const double distance = Distance(block, BatteryTypes()[static_cast<size_t>(row)]);
    if (distance < best) {
      best = distance;
      nearest = row;
    }
  }
  return nearest;
}

}  // namespace

std::vector<VoltageDoubt> DoubtfulBatteryVoltages(const TCONFIG_BLOCK& block) {
  const int row = NearestBatteryRow(block);
  const TBATTERY_TYPES& type = BatteryTypes()[static_cast<size_t>(row)];
  std::vector<VoltageDoubt> doubts;
  for (const BatteryVoltage& voltage : kVoltages) {
    const unsigned preset = type.*voltage.preset;
    const auto low = static_cast<uint16_t>(preset * kSensibleLowPercent / kPercent);
    const auto high = static_cast<uint16_t>(preset * kSensibleHighPercent / kPercent);
    const uint32_t value = voltage.Of(block);
    if (value < low || value > high) doubts.push_back({&Field(voltage.field), row, low, high});
  }
  return doubts;
}

}  // namespace lum
