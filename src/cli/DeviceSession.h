#pragma once

#include "cli/CliContext.h"
#include "cli/ConsoleObserver.h"
#include "data/DeviceConfig.h"
#include "device/DeviceContext.h"
#include "device/PortOpener.h"
#include "device/Scan.h"
#include "link/Link.h"

namespace lum::cli {

/// What the device commands share: the working directory's context, the console as the
/// window's panels, the main link on the real clock, the entry lists and the ports of LUM.INI.
struct DeviceSession {
  DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  /// The device type names as the window would list them (language file or built-in).
  DeviceTypeNames TypeNames() const;

  CliContext context;
  ConsoleObserver observer;
  Link link;
  EntryStore entries;
  PortMapOpener opener;
  DeviceContext device;
};

}  // namespace lum::cli
