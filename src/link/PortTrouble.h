#pragma once

#include <optional>
#include <string>

namespace lum {

/// Why a port could not be opened, and what to do about it, for the user: permission denied
/// names the group that owns the device and the command that adds the user to it; a busy port
/// names the program that holds it when /proc tells. `error` is the errno of the failed open.
std::string PortOpenReason(const std::string& path, int error);

/// The information line for a port that does not open: "[stamp] Cannot open COMn (path): why".
std::string PortOpenFailureLine(const std::string& name, const std::string& path, int error, const std::string& stamp);

/// A process that holds a device open.
struct PortHolderProcess {
  std::string name;  // as /proc/N/comm tells it
  int pid = 0;
};

/// The process that holds a device open, found by the open files under `procDir`; nullopt
/// when none is visible (another user's processes are hidden from non-root). The calling
/// process itself is never named.
std::optional<PortHolderProcess> FindPortHolder(const std::string& path, const std::string& procDir = "/proc");

/// The program that holds a device open, as "name, pid N" (see FindPortHolder).
std::optional<std::string> PortHolder(const std::string& path, const std::string& procDir = "/proc");

}  // namespace lum
