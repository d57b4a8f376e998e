#include "link/MemoryPort.h"

#include <algorithm>

namespace lum {

bool MemoryPort::Status(PortStatus& status) {
  status = PortStatus{};
  status.inQueue = static_cast<uint32_t>(waiting_.size());
  return true;
}

size_t MemoryPort::Read(uint8_t* buffer, size_t length) {
  const size_t count = std::min(length, waiting_.size());
  std::copy_n(waiting_.begin(), count, buffer);
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
  return count;
}

}  // namespace lum
