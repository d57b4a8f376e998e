#include "support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace lum::test {

PtyPair::PtyPair() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
    throw std::runtime_error(std::string("no pseudo-terminal: ") + std::strerror(errno));
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0)
    throw std::runtime_error(std::string("ptsname: ") + std::strerror(errno));
  slave_path_ = name;
}

PtyPair::~PtyPair() { CloseMaster(); }

void PtyPair::Write(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error(std::string("pty write: ") + std::strerror(errno));
    done += static_cast<size_t>(n);
  }
}

std::vector<uint8_t> PtyPair::ReadExactly(size_t count, int timeoutMs) {
  std::vector<uint8_t> bytes;
  while (bytes.size() < count && master_ >= 0) {
    pollfd pfd{master_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || !(pfd.revents & POLLIN)) break;
    uint8_t buffer[256];
    const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (n <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace lum::test
