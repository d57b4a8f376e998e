#include "device/EntryChanges.h"

namespace lum {

namespace {
template <typename T>
void Carry(const T& before, const T& after, T& target) {
  if (after != before) target = after;
}
}  // namespace

void ApplyReplyChanges(const TDEVICE_CONFIG& before, const TDEVICE_CONFIG& after, TDEVICE_CONFIG& target) {
  Carry(before.Model, after.Model, target.Model);
  Carry(before.SerialNumber, after.SerialNumber, target.SerialNumber);
  Carry(before.FirmwareVersion, after.FirmwareVersion, target.FirmwareVersion);
  Carry(before.FirmwareBuild, after.FirmwareBuild, target.FirmwareBuild);
  Carry(before.BatchCode, after.BatchCode, target.BatchCode);
  const auto& was = before.Config.bytes();
  const auto& now = after.Config.bytes();
  auto& into = target.Config.bytes();
  for (size_t i = 0; i < now.size(); ++i) Carry(was[i], now[i], into[i]);
}

}  // namespace lum
