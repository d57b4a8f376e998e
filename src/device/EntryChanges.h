#pragma once

#include "data/DeviceConfig.h"

namespace lum {

/// Carries what replies changed in a working copy of an entry over to the entry itself:
/// every identity field and every block byte in which `after` differs from `before` is set in
/// `target`; everything else in `target` stays as it is. An operation on another thread
/// decodes into a copy, and the owner's thread applies the changes to the entry it shows.
void ApplyReplyChanges(const TDEVICE_CONFIG& before, const TDEVICE_CONFIG& after, TDEVICE_CONFIG& target);

}  // namespace lum
