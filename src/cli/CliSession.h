#pragma once

#include <optional>

#include "cli/CliContext.h"
#include "cli/ConsoleObserver.h"
#include "device/DeviceSession.h"

namespace lum::cli {

/// What the device commands share: the working directory's context, the console as the
/// window's panels, and a device session on the ports of LUM.INI with the context's texts
/// and device type names. Commands ask the session for an operation and wait for it with
/// WaitIdle, which shows its reports on the console as they come.
struct CliSession {
  /// On every port of LUM.INI, or on `onlyPort` (COMn) alone.
  explicit CliSession(std::optional<int> onlyPort = std::nullopt);
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  CliContext context;
  ConsoleObserver observer;
  DeviceSession device;
};

}  // namespace lum::cli
