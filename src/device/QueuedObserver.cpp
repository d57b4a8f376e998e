#include "device/QueuedObserver.h"

namespace lum {

void QueuedObserver::InfoLine(const std::string& line) {
  events_.Post([&target = target_, line] { target.InfoLine(line); });
}

void QueuedObserver::TraceLine(const std::string& line) {
  events_.Post([&target = target_, line] { target.TraceLine(line); });
}

void QueuedObserver::SetFieldText(const char* objectName, const std::string& text) {
  events_.Post([&target = target_, name = std::string(objectName), text] { target.SetFieldText(name.c_str(), text); });
}

void QueuedObserver::SetFieldValue(const char* objectName, int value) {
  events_.Post(
      [&target = target_, name = std::string(objectName), value] { target.SetFieldValue(name.c_str(), value); });
}

void QueuedObserver::SetStatusFlags(const std::string& text) {
  events_.Post([&target = target_, text] { target.SetStatusFlags(text); });
}

void QueuedObserver::ClearStatusImage() {
  events_.Post([&target = target_] { target.ClearStatusImage(); });
}

}  // namespace lum
