#pragma once

#include "data/DeviceConfig.h"
#include "device/PortOpener.h"
#include "language/MessageTable.h"
#include "link/Link.h"

namespace lum {

/// What a scan or a write works with: the main link (its observer shows the information
/// lines), the entry lists with CurrentEntry, the ports and the message table.
struct DeviceContext {
  Link& link;
  EntryStore& entries;
  PortOpener& ports;
  const MessageTable& messages;
};

}  // namespace lum
