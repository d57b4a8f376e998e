#include "support/RecordingObserver.h"

#include <algorithm>

namespace lum::test {

std::optional<Measurement> RecordingObserver::Last(ValueId id) const {
  const auto it = std::find_if(values_.rbegin(), values_.rend(), [&](const Measurement& m) { return m.id == id; });
  if (it == values_.rend()) return std::nullopt;
  return *it;
}

std::optional<int64_t> RecordingObserver::Raw(ValueId id) const {
  const auto value = Last(id);
  if (!value) return std::nullopt;
  return value->raw;
}

int RecordingObserver::CountTrace(const std::string& fragment) const {
  return static_cast<int>(std::count_if(
      trace_.begin(), trace_.end(), [&](const std::string& line) { return line.find(fragment) != std::string::npos; }));
}

void RecordingObserver::Clear() {
  info_.clear();
  trace_.clear();
  values_.clear();
  running_state_clears_ = 0;
}

}  // namespace lum::test
