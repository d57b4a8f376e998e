#pragma once

#include "data/DeviceConfig.h"
#include "device/FieldLabels.h"
#include "device/PortOpener.h"
#include "language/MessageTable.h"
#include "link/Link.h"

namespace lum {

/// What a scan or a write works with: the main link (its observer shows the information
/// lines), the entry lists with CurrentEntry, the ports, the message table and how the
/// window names fields.
struct DeviceContext {
  Link& link;
  EntryStore& entries;
  PortOpener& ports;
  const MessageTable& messages;
  FieldLabels labels = {};
};

}  // namespace lum
