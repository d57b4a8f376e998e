#include "sim/Measurements.h"

namespace lum::sim {

namespace {
constexpr uint64_t kMsPerSecond = 1000;
constexpr uint64_t kSecondsPerMinute = 60;

// Swing and period (seconds) of each drifting value.
struct Drift {
  uint32_t swing;
  uint64_t period;
};
constexpr Drift kBatteryDrift{300, 120};
constexpr Drift kSolarDrift{150, 90};
constexpr Drift kTemperatureDrift{3, 300};
constexpr Drift kLoadVoltageDrift{250, 120};
constexpr Drift kLoadCurrentDrift{40, 30};

uint16_t Above(uint16_t rest, Drift drift, uint64_t seconds) {
  const uint64_t half = drift.period / 2;
  const uint64_t phase = seconds % drift.period;
  const uint64_t rise = phase < half ? phase : drift.period - phase;
  const uint64_t value = rest + rise * drift.swing / half;
  return static_cast<uint16_t>(value > UINT16_MAX ? UINT16_MAX : value);
}
}  // namespace

Measurements MeasurementsAt(const MeasurementSetup& setup, uint64_t elapsedMs) {
  const uint64_t seconds = elapsedMs / kMsPerSecond;
  const uint64_t powerOn = setup.powerOnSeconds + seconds;
  Measurements m;
  m.powerOnMinutes = static_cast<uint16_t>(powerOn / kSecondsPerMinute);
  m.powerOnSeconds = static_cast<uint8_t>(powerOn % kSecondsPerMinute);
  m.batteryMv = Above(setup.batteryMv, kBatteryDrift, seconds);
  m.solar10Mv = Above(setup.solar10Mv, kSolarDrift, seconds);
  m.temperature = Above(setup.temperature, kTemperatureDrift, seconds);
  m.load1Mv = Above(setup.load1Mv, kLoadVoltageDrift, seconds);
  m.load1Ma = Above(setup.load1Ma, kLoadCurrentDrift, seconds);
  if (setup.sun) {
    const PollSample poll = PollOf(setup.sun->At(elapsedMs), 0);
    const auto raw = [&poll](ValueId id) { return static_cast<uint16_t>(poll.Raw(id).value_or(0)); };
    m.batteryMv = raw(ValueId::BatteryVoltage);
    m.solar10Mv = raw(ValueId::SolarVoltage);
    m.load1Mv = raw(ValueId::Load1Voltage);
    m.load1Ma = raw(ValueId::Load1Current);
  }
  return m;
}

}  // namespace lum::sim
