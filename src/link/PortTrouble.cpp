#include "link/PortTrouble.h"

#include <fmt/format.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace lum {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> GroupOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  const group* owner = ::getgrgid(info.st_gid);
  if (owner != nullptr && owner->gr_name != nullptr) return std::string(owner->gr_name);
  return std::to_string(info.st_gid);
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

std::string PortOpenReason(const std::string& path, int error) {
  switch (error) {
    case EACCES:
    case EPERM: {
      const std::string group = GroupOf(path).value_or("dialout");
      return fmt::format(
          "permission denied: {} belongs to the group {}; add yourself to it with \"sudo usermod -aG {} $USER, "
          "then log in again\"",
          path, group, group);
    }
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
