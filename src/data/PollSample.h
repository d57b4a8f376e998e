#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "data/Measurement.h"

namespace lum {

/// The values one monitor poll asks for, in the order it asks.
inline constexpr std::array<ValueId, 6> kPolledValues = {ValueId::PowerOnTime,    ValueId::Temperature,
                                                         ValueId::BatteryVoltage, ValueId::SolarVoltage,
                                                         ValueId::Load1Voltage,   ValueId::Load1Current};
inline constexpr size_t kPolledValueCount = kPolledValues.size();

/// Index of a value in kPolledValues, or nullopt for a value a poll does not ask for.
/// Inline: analyses ask for it once per value per poll, millions of times.
constexpr std::optional<size_t> PolledIndex(ValueId id) {
  for (size_t i = 0; i < kPolledValueCount; ++i)
    if (kPolledValues[i] == id) return i;
  return std::nullopt;
}

/// What one poll brought: when it ended (milliseconds since the Unix epoch) and each polled
/// value's raw number as it came, absent when its reply did not.
struct PollSample {
  int64_t timeMs = 0;
  std::array<std::optional<int64_t>, kPolledValueCount> raw{};

  std::optional<int64_t> Raw(ValueId id) const;
  /// The value in its natural unit (NaturalValue): volts, amperes, °C, seconds.
  std::optional<double> Natural(ValueId id) const;
  bool Empty() const;
  bool operator==(const PollSample&) const = default;
};

/// Gathers the values of one poll as they are reported and hands them over as a sample when
/// the poll ends. A value reported twice in one poll keeps the later one.
class PollAssembler {
 public:
  void Add(const Measurement& value);
  /// The sample of the poll that just ended (nullopt when nothing came), and a fresh start.
  std::optional<PollSample> Finish(int64_t timeMs);

 private:
  PollSample pending_;
};

/// Milliseconds since the epoch, now.
int64_t NowMsSinceEpoch();

}  // namespace lum
