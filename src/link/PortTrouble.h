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

/// The program that holds a device open, as "name, pid N", found by the open files under
/// `procDir`; nullopt when none is visible (another user's processes are hidden from non-root).
/// The calling process itself is never named.
std::optional<std::string> PortHolder(const std::string& path, const std::string& procDir = "/proc");

}  // namespace lum
