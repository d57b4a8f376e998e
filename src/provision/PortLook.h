#pragma once

#include "data/DeviceConfig.h"

namespace lum {

/// What one scan of a bench port found.
enum class LookKind {
  NotOpened,       // the port did not open: held by another program, or gone with its adapter
  Empty,           // the port opened and nothing answered
  UnknownProduct,  // a unit answered with a product code of no known device type
  Unreadable,      // a unit was identified, then stopped answering before its configuration was read
  Read,            // a unit was read whole
};

struct PortLook {
  LookKind kind = LookKind::NotOpened;
  /// The unit's entry (as far as it was read) for UnknownProduct, Unreadable and Read.
  const TDEVICE_CONFIG* unit = nullptr;
};

/// The look a one-port scan left in `entries`: no device entry when the port did not open, an
/// entry without a product code when nothing answered.
PortLook LookOf(const EntryStore& entries);

}  // namespace lum
