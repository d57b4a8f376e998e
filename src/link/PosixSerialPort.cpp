// termios backend of SerialPort.
#include <fcntl.h>
#include <fmt/format.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <utility>

#include "link/SerialPort.h"

namespace lum {

namespace {

constexpr int kNoFd = -1;
// A frame is a few bytes; a write that cannot be queued within this time has failed.
constexpr int kWriteTimeoutMs = 200;

std::string ErrorText(int code) { return std::error_code(code, std::generic_category()).message(); }

// Pseudo-terminals and some adapters have no modem lines or counters; these errors mean
// "not supported here", not a failure.
bool NotSupported(int code) { return code == ENOTTY || code == EINVAL || code == EOPNOTSUPP; }

struct BaudRate {
  unsigned value;
  speed_t code;
};
constexpr std::array<BaudRate, 12> kBaudRates{{{1200, B1200},
                                               {2400, B2400},
                                               {4800, B4800},
                                               {9600, B9600},
                                               {19200, B19200},
                                               {38400, B38400},
                                               {57600, B57600},
                                               {115200, B115200},
                                               {230400, B230400},
                                               {460800, B460800},
                                               {500000, B500000},
                                               {921600, B921600}}};

bool SpeedCode(unsigned baud, speed_t& code) {
  for (const auto& rate : kBaudRates)
    if (rate.value == baud) {
      code = rate.code;
      return true;
    }
  return false;
}

// Open step of OpenPort and ListComPorts: read/write, no controlling terminal, never blocking,
// exclusive. TIOCEXCL keeps other programs out, but the kernel lets root through: a terminal
// that is already exclusive after the open is held by someone else and is closed again
// untouched. flock keeps out everyone who opens through this code, root included. On failure
// `error` holds the reason (EBUSY for a port held by someone else).
int OpenExclusive(const std::string& path, int& error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return kNoFd;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return kNoFd;
  }
  int held = 0;
  if (::ioctl(fd, TIOCGEXCL, &held) == 0 && held != 0) {
    error = EBUSY;
    ::close(fd);
    return kNoFd;
  }
  ::ioctl(fd, TIOCEXCL);  // fails on what is not a terminal; the line settings will tell
  return fd;
}

// Only ever called on a descriptor whose exclusive flag this program set: the flag belongs to
// the terminal, and a pseudo-terminal would stay exclusive after the close without this.
void CloseExclusive(int fd) {
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);
}

class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) { ReadCounters(counters_); }
  ~PosixSerialPort() override { CloseExclusive(fd_); }
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool Status(PortStatus& status) override {
    status = PortStatus{};
    int in = 0;
    if (::ioctl(fd_, FIONREAD, &in) != 0) return Fail();
    int out = 0;
    if (::ioctl(fd_, TIOCOUTQ, &out) != 0 && !NotSupported(errno)) return Fail();
    status.inQueue = in > 0 ? static_cast<uint32_t>(in) : 0;
    status.outQueue = out > 0 ? static_cast<uint32_t>(out) : 0;
    status.errors = NewLineErrors();
    return true;
  }

  bool Write(const uint8_t* data, size_t length) override {
    size_t done = 0;
    while (done < length) {
      const ssize_t n = ::write(fd_, data + done, length - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN && WaitWritable()) continue;
      return Fail();
    }
    return true;
  }

  size_t Read(uint8_t* buffer, size_t length) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, length);
      if (n >= 0) return static_cast<size_t>(n);
      if (errno == EINTR) continue;
      if (errno != EAGAIN) Fail();  // EIO after a hang-up lands here
      return 0;
    }
  }

  void PurgeReceive() override {
    if (::tcflush(fd_, TCIFLUSH) != 0) Fail();
  }

  std::string LastError() const override { return ErrorText(last_error_); }
  const std::string& Path() const override { return path_; }

 private:
  using Counters = serial_icounter_struct;

  bool Fail() {
    last_error_ = errno;
    return false;
  }

  bool WaitWritable() {
    pollfd pfd{fd_, POLLOUT, 0};
    return ::poll(&pfd, 1, kWriteTimeoutMs) == 1 && (pfd.revents & POLLOUT) && !(pfd.revents & (POLLERR | POLLHUP));
  }

  bool ReadCounters(Counters& counters) const { return ::ioctl(fd_, TIOCGICOUNT, &counters) == 0; }

  // The driver counts line errors; a counter that grew since the last call is a new error.
  uint32_t NewLineErrors() {
    Counters now{};
    if (!ReadCounters(now)) return 0;
    uint32_t mask = 0;
    if (now.buf_overrun != counters_.buf_overrun) mask |= line_error::kReceiveOverflow;
    if (now.overrun != counters_.overrun) mask |= line_error::kOverrun;
    if (now.parity != counters_.parity) mask |= line_error::kParity;
    if (now.frame != counters_.frame) mask |= line_error::kFraming;
    if (now.brk != counters_.brk) mask |= line_error::kBreak;
    counters_ = now;
    return mask;
  }

  int fd_;
  std::string path_;
  int last_error_ = 0;
  Counters counters_{};
};

// Raw 8N1 at the given speed, receiver on, modem status ignored, no flow control of any
// kind, reads return at once with what is there.
bool ApplyLineSettings(int fd, unsigned baud) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  speed_t speed{};
  if (!SpeedCode(baud, speed)) {
    errno = EINVAL;
    return false;
  }
  if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) return false;
  int lines = TIOCM_DTR | TIOCM_RTS;
  return ::ioctl(fd, TIOCMBIS, &lines) == 0 || NotSupported(errno);
}

}  // namespace

std::unique_ptr<SerialPort> OpenPort(const std::string& path, unsigned baud, PortErrorSink* errors, int* failure) {
  int error = 0;
  const int fd = OpenExclusive(path, error);
  if (fd == kNoFd) {
    if (failure) *failure = error;
    return nullptr;
  }
  if (!ApplyLineSettings(fd, baud)) {
    error = errno;
    if (errors && errors->ShowErrorDetails()) errors->TraceLine(fmt::format("Error: {}", ErrorText(error)));
    CloseExclusive(fd);
    if (failure) *failure = error;
    return nullptr;
  }
  return std::make_unique<PosixSerialPort>(fd, path);
}

std::string SystemMessageText(uint32_t code) { return ErrorText(static_cast<int>(code)); }

int ProbePort(const std::string& path) {
  int error = 0;
  const int fd = OpenExclusive(path, error);
  if (fd == kNoFd) return error;
  CloseExclusive(fd);
  return 0;
}

bool CanOpenExclusively(const std::string& path) { return ProbePort(path) == 0; }

}  // namespace lum
