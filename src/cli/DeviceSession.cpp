#include "cli/DeviceSession.h"

#include "base/Clock.h"
#include "data/TypeTables.h"

namespace lum::cli {

DeviceSession::DeviceSession()
    : link(SystemClock(), observer),
      opener(context.Ports(), &observer),
      device{link, entries, opener, context.Messages()} {}

DeviceTypeNames DeviceSession::TypeNames() const {
  DeviceTypeNames names;
  for (int row = 0; row < kDeviceTypeCount; ++row) names.push_back(context.DeviceTypeName(row));
  return names;
}

}  // namespace lum::cli
