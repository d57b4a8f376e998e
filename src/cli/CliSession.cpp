#include "cli/CliSession.h"

#include "data/TypeTables.h"

namespace lum::cli {

CliSession::CliSession(std::optional<int> onlyPort)
    : device(onlyPort ? context.Ports().Only(*onlyPort) : context.Ports(), observer) {
  device.SetMessages(context.Messages());
  DeviceTypeNames names;
  for (int row = 0; row < kDeviceTypeCount; ++row) names.push_back(context.DeviceTypeName(row));
  device.SetDeviceTypeNames(std::move(names));
  device.SetFieldLabels(context.Labels());
}

}  // namespace lum::cli
