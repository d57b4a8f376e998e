#pragma once

#include <optional>
#include <string>

namespace lum {

/// Why a port could not be opened, and what to do about it, for the user: permission denied
/// names the group that owns the device and the command that adds the user to it; a busy port
/// names the program that holds it when /proc tells. `error` is the errno of the failed open.
std::string PortOpenReason(const std::string& path, int error);

/// Who may open a device, as the advice for a refused open needs it.
struct PortAccess {
  std::string group;         // the device's group by name (its number when the name is unknown)
  bool rootGroup = false;    // group 0: nobody should be told to join it
  bool groupMayUse = false;  // the group may read and write the device
  bool userInGroup = false;  // the user belongs to the group (after the next login at least)
};

/// The access to `path` of the user running this process; nullopt when the device's owner
/// cannot be read.
std::optional<PortAccess> LookUpPortAccess(const std::string& path);

/// Why an open was refused for lack of permission, and what helps: join the device's group
/// (the command quoted whole), log in again when already in it, or ask the administrator when
/// no group but root's may open it.
std::string PermissionDeniedReason(const std::string& path, const std::optional<PortAccess>& access);

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
