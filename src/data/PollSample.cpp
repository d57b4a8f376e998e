#include "data/PollSample.h"

#include <algorithm>
#include <chrono>

namespace lum {

std::optional<int64_t> PollSample::Raw(ValueId id) const {
  const auto index = PolledIndex(id);
  return index ? raw[*index] : std::nullopt;
}

std::optional<double> PollSample::Natural(ValueId id) const {
  const auto value = Raw(id);
  if (!value) return std::nullopt;
  return NaturalValue(MakeMeasurement(id, *value));
}

bool PollSample::Empty() const {
  return std::none_of(raw.begin(), raw.end(), [](const auto& value) { return value.has_value(); });
}

void PollAssembler::Add(const Measurement& value) {
  if (const auto index = PolledIndex(value.id)) pending_.raw[*index] = value.raw;
}

std::optional<PollSample> PollAssembler::Finish(int64_t timeMs) {
  PollSample sample = pending_;
  pending_ = {};
  if (sample.Empty()) return std::nullopt;
  sample.timeMs = timeMs;
  return sample;
}

int64_t NowMsSinceEpoch() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace lum
