#pragma once

#include "data/DeviceConfig.h"
#include "device/FieldLabels.h"
#include "device/PortOpener.h"
#include "language/MessageTable.h"
#include "link/Link.h"

namespace lum {

/// What a scan or a write works with: the main link (its observer shows the information
/// lines), the entry lists with CurrentEntry, the ports and the message table; and how the
/// lines name fields: by the pages' labels with units when `labels` are given, otherwise by
/// their internal names with raw values.
struct DeviceContext {
  Link& link;
  EntryStore& entries;
  PortOpener& ports;
  const MessageTable& messages;
  FieldLabels labels = {};
};

}  // namespace lum
