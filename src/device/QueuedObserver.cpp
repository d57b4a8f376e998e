#include "device/QueuedObserver.h"

namespace lum {

void QueuedObserver::InfoLine(const std::string& line) {
  events_.Post([&target = target_, line] { target.InfoLine(line); });
}

void QueuedObserver::TraceLine(const std::string& line) {
  events_.Post([&target = target_, line] { target.TraceLine(line); });
}

void QueuedObserver::ValueReceived(const Measurement& value) {
  events_.Post([&target = target_, value] { target.ValueReceived(value); });
}

void QueuedObserver::RunningStateCleared() {
  events_.Post([&target = target_] { target.RunningStateCleared(); });
}

}  // namespace lum
