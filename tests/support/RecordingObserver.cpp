#include "support/RecordingObserver.h"

#include <algorithm>

namespace lum::test {

void RecordingObserver::ProcessMessages() {
  ++process_calls_;
  if (on_process_) on_process_();
}

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
  status_flags_.clear();
  status_image_clears_ = 0;
  process_calls_ = 0;
}

}  // namespace lum::test
