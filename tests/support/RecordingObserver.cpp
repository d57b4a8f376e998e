#include "support/RecordingObserver.h"

#include <algorithm>

namespace lum::test {

void RecordingObserver::ProcessMessages() {
  ++process_calls_;
  if (on_process_) on_process_();
}

std::string RecordingObserver::Text(const std::string& objectName) const {
  const auto it = texts_.find(objectName);
  return it == texts_.end() ? std::string() : it->second;
}

int RecordingObserver::CountTrace(const std::string& fragment) const {
  return static_cast<int>(std::count_if(
      trace_.begin(), trace_.end(), [&](const std::string& line) { return line.find(fragment) != std::string::npos; }));
}

void RecordingObserver::Clear() {
  info_.clear();
  trace_.clear();
  texts_.clear();
  values_.clear();
  status_flags_.clear();
  status_image_clears_ = 0;
  process_calls_ = 0;
}

}  // namespace lum::test
