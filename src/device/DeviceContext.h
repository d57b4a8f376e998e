#pragma once

#include <cstdint>
#include <vector>

#include "data/DeviceConfig.h"
#include "device/FieldLabels.h"
#include "device/PortOpener.h"
#include "language/MessageTable.h"
#include "link/Link.h"

namespace lum {

/// A bus address that only garbled replies came from during a scan: two controllers may share it.
struct SharedAddress {
  int port = 0;  // n of COMn
  uint8_t address = 0;
  bool operator==(const SharedAddress&) const = default;
};

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
  /// Where a scan lists the bus addresses that answered garbled; null: only the lines tell.
  std::vector<SharedAddress>* shared = nullptr;
};

}  // namespace lum
