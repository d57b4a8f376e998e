#include "device/QueuedMemo.h"

namespace lum {

void QueuedMemo::SetText(const std::string& text) {
  events_.Post([&target = target_, text] { target.SetText(text); });
}

void QueuedMemo::AddLine(const std::string& text) {
  events_.Post([&target = target_, text] { target.AddLine(text); });
}

void QueuedMemo::EndLine(const std::string& text) {
  events_.Post([&target = target_, text] { target.EndLine(text); });
}

void QueuedMemo::SetFileName(const std::string& name) {
  events_.Post([&target = target_, name] { target.SetFileName(name); });
}

void QueuedMemo::SetFirmwareVersion(const std::string& text) {
  events_.Post([&target = target_, text] { target.SetFirmwareVersion(text); });
}

void QueuedMemo::SetDescription(const std::string& text) {
  events_.Post([&target = target_, text] { target.SetDescription(text); });
}

void QueuedMemo::SetProgress(int percent) {
  events_.Post([&target = target_, percent] { target.SetProgress(percent); });
}

}  // namespace lum
