#include "PtyClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

namespace lum::sim::test {

PtyClient::PtyClient(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) return;
  termios tio{};
  tcgetattr(fd_, &tio);
  cfmakeraw(&tio);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  tcsetattr(fd_, TCSANOW, &tio);
}

PtyClient::~PtyClient() {
  if (fd_ >= 0) close(fd_);
}

void PtyClient::Send(const Bytes& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

Bytes PtyClient::ReadUntil(size_t count, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  Bytes got;
  while (got.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const Bytes some = ReadSome(left);
    got.insert(got.end(), some.begin(), some.end());
  }
  return got;
}

Bytes PtyClient::ReadSome(std::chrono::milliseconds limit) {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, static_cast<int>(limit.count())) <= 0) return {};
  uint8_t buffer[256];
  const ssize_t n = read(fd_, buffer, sizeof buffer);
  if (n <= 0) return {};
  return Bytes(buffer, buffer + n);
}

Bytes IdentifyRequest(uint8_t tryNumber) { return ShortFrame(command::kIdentify, 0, tryNumber, 0); }

std::optional<ShortReply> DecodeShortReply(const Bytes& bytes) {
  if (bytes.size() != frame::kSize || !CrcChecks(bytes.data(), bytes.size())) return std::nullopt;
  RawFrame reply;
  std::copy(bytes.begin(), bytes.end(), reply.begin());
  return DecodeRequest(reply);
}

}  // namespace lum::sim::test
