#include "sim/Pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>

namespace lum::sim {

namespace {
[[noreturn]] void Fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

speed_t SpeedOf(unsigned baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      errno = EINVAL;
      Fail("unsupported baud rate");
  }
}

void MakeRaw(int fd, speed_t speed) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) Fail("tcgetattr");
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) Fail("tcsetattr");
}
}  // namespace

PtyEndpoint::PtyEndpoint(unsigned baud) {
  const speed_t speed = SpeedOf(baud);
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0) Fail("posix_openpt");
  char name[PATH_MAX];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
    const int saved = errno;
    close(master_);
    errno = saved;
    Fail("pseudo-terminal set-up");
  }
  path_ = name;
  try {
    MakeRaw(master_, speed);
    // The slave's settings outlive this open: the master keeps the terminal alive.
    const int slave = open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) Fail("open pseudo-terminal slave");
    try {
      MakeRaw(slave, speed);
    } catch (...) {
      close(slave);
      throw;
    }
    close(slave);
  } catch (...) {
    close(master_);
    throw;
  }
}

PtyEndpoint::~PtyEndpoint() { close(master_); }

PtyEndpoint::ReadResult PtyEndpoint::Read(uint8_t* buffer, size_t capacity) {
  const ssize_t n = read(master_, buffer, capacity);
  if (n > 0) return {static_cast<size_t>(n), false};
  // EIO: no client has the slave open.
  return {0, n < 0 && errno == EIO};
}

void PtyEndpoint::Write(const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t n = write(master_, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    length -= static_cast<size_t>(n);
  }
}

}  // namespace lum::sim
