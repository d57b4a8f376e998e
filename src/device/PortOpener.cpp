#include "device/PortOpener.h"

#include <cerrno>

#include "base/TimeStamp.h"
#include "link/PortTrouble.h"

namespace lum {

std::optional<std::string> PortMapOpener::PermissionRefusal(int n) const {
  const auto path = map_.PathOf(n);
  if (!path || (last_failure_ != EACCES && last_failure_ != EPERM)) return std::nullopt;
  return PortOpenFailureLine(ComName(n), *path, last_failure_, NowStamp());
}

}  // namespace lum
