#include "link/PortTrouble.h"

#include <fmt/format.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace lum {

namespace fs = std::filesystem;

namespace {

constexpr gid_t kRootGroup = 0;
constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;

// Listed in the group database, or the group is the user's own: either way the next login
// gives the user the group.
bool UserBelongsTo(const group& entry) {
  const passwd* user = ::getpwuid(::getuid());
  if (user == nullptr) return false;
  if (user->pw_gid == entry.gr_gid) return true;
  for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member)
    if (std::strcmp(*member, user->pw_name) == 0) return true;
  return false;
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

bool IsProcessFolder(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::optional<PortAccess> LookUpPortAccess(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  PortAccess access;
  access.rootGroup = info.st_gid == kRootGroup;
  access.groupMayUse = (info.st_mode & kGroupReadWrite) == kGroupReadWrite;
  const group* entry = ::getgrgid(info.st_gid);
  access.group = entry != nullptr && entry->gr_name != nullptr ? entry->gr_name : std::to_string(info.st_gid);
  access.userInGroup = entry != nullptr && UserBelongsTo(*entry);
  return access;
}

std::string PermissionDeniedReason(const std::string& path, const std::optional<PortAccess>& access) {
  if (!access) return fmt::format("permission denied: {} (its owner cannot be read)", path);
  if (access->rootGroup)
    return fmt::format(
        "permission denied: only root may open {}; ask the administrator to give it a group such as dialout", path);
  if (!access->groupMayUse)
    return fmt::format(
        "permission denied: only its owner may open {} (its group {} may not); ask the administrator to let the "
        "group read and write it",
        path, access->group);
  if (access->userInGroup)
    return fmt::format(
        "permission denied: you are in the group {} that may open {}, but this login started before you were "
        "added; log in again",
        access->group, path);
  return fmt::format(
      "permission denied: you are not in the group {} that may open {}; add yourself to it with "
      "\"sudo usermod -aG {} $USER\", then log in again",
      access->group, path, access->group);
}

std::string PortOpenReason(const std::string& path, int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return PermissionDeniedReason(path, LookUpPortAccess(path));
    case EBUSY: {
      const auto holder = PortHolder(path);
      return holder ? fmt::format("in use by another program ({})", *holder) : "in use by another program";
    }
    case ENOENT:
      return "no such device (unplugged?)";
    case ENXIO:
    case ENODEV:
      return "the device is not there (unplugged, or no port behind this name)";
    default:
      return std::error_code(error, std::generic_category()).message();
  }
}

std::string PortOpenFailureLine(const std::string& name, const std::string& path, int error, const std::string& stamp) {
  return fmt::format("[{}] Cannot open {} ({}): {}", stamp, name, path, PortOpenReason(path, error));
}

std::optional<std::string> PortHolder(const std::string& path, const std::string& procDir) {
  const auto holder = FindPortHolder(path, procDir);
  if (!holder) return std::nullopt;
  return fmt::format("{}, pid {}", holder->name, holder->pid);
}

std::optional<PortHolderProcess> FindPortHolder(const std::string& path, const std::string& procDir) {
  std::error_code error;
  const fs::path device = fs::canonical(path, error);
  if (error) return std::nullopt;
  const std::string self = std::to_string(::getpid());
  for (fs::directory_iterator process(procDir, error), end; !error && process != end; process.increment(error)) {
    const std::string pid = process->path().filename().string();
    if (!IsProcessFolder(pid) || pid == self) continue;
    std::error_code hidden;
    for (fs::directory_iterator fd(process->path() / "fd", hidden), none; !hidden && fd != none; fd.increment(hidden)) {
      std::error_code gone;
      if (fs::read_symlink(fd->path(), gone) == device)
        return PortHolderProcess{FirstLine(process->path() / "comm"), std::stoi(pid)};
    }
  }
  return std::nullopt;
}

}  // namespace lum
