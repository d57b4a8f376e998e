#include "upgrade/ModelName.h"

#include "language/MessageSlots.h"

namespace lum {

ModelNames DefaultModelNames() {
  ModelNames names;
  for (size_t row = 0; row < names.size(); ++row) names[row] = DeviceTypes()[row].DefaultName;
  return names;
}

namespace {
int MatchingRow(uint32_t deviceId) {
  int match = -1;
  for (int row = 0; row < kDeviceTypeCount; ++row)
    if ((deviceId & kProductCodeMask) == DeviceTypes()[static_cast<size_t>(row)].ProductCode) match = row;
  return match;
}
}  // namespace

std::string ModelNameForId(uint32_t deviceId, const ModelNames& names, const MessageTable& messages) {
  const int row = MatchingRow(deviceId);
  return row < 0 ? messages.Text(msg::kUnknownModel) : names[static_cast<size_t>(row)];
}

bool IsKnownModel(uint32_t deviceId) { return MatchingRow(deviceId) >= 0; }

}  // namespace lum
