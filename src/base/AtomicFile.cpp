#include "base/AtomicFile.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace lum {

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kPermissionBits = 07777;
constexpr size_t kReadChunk = 64 * 1024;

[[noreturn]] void ThrowSystemError(const char* what, const std::string& path, int error) {
  throw std::runtime_error(fmt::format("{} {}: {}", what, path, std::strerror(error)));
}

// Closes the descriptor and removes the temporary file unless the write went through.
class TempFile {
 public:
  explicit TempFile(const std::string& target) : name_(target + ".XXXXXX") {
    std::vector<char> pattern(name_.begin(), name_.end());
    pattern.push_back('\0');
    fd_ = mkstemp(pattern.data());
    if (fd_ < 0) ThrowSystemError("Cannot create a file beside", target, errno);
    name_.assign(pattern.data());
  }
  ~TempFile() {
    if (fd_ >= 0) close(fd_);
    if (!kept_) unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }
  int Close() {
    const int result = close(fd_);
    fd_ = -1;
    return result;
  }
  void Keep() { kept_ = true; }

 private:
  std::string name_;
  int fd_ = -1;
  bool kept_ = false;
};

void WriteAll(int fd, const std::string& bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("Cannot write", path, errno);
    }
    done += static_cast<size_t>(n);
  }
}

// Descriptor that closes itself.
struct ReadFd {
  int fd;
  ~ReadFd() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  TempFile temp(path);
  WriteAll(temp.fd(), bytes, path);
  // mkstemp creates 0600; the file keeps the permissions it had, a new one gets the usual ones.
  struct stat old {};
  const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & kPermissionBits) : kNewFileMode;
  if (fchmod(temp.fd(), mode) != 0) ThrowSystemError("Cannot write", path, errno);
  if (fsync(temp.fd()) != 0) ThrowSystemError("Cannot write", path, errno);
  if (temp.Close() != 0) ThrowSystemError("Cannot write", path, errno);
  if (rename(temp.name().c_str(), path.c_str()) != 0) ThrowSystemError("Cannot replace", path, errno);
  temp.Keep();
}

std::string ReadWholeFile(const std::string& path, size_t maxBytes) {
  ReadFd file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) ThrowSystemError("Cannot open", path, errno);
  std::string content;
  std::vector<char> chunk(kReadChunk);
  while (content.size() < maxBytes) {
    const size_t want = std::min(chunk.size(), maxBytes - content.size());
    const ssize_t n = read(file.fd, chunk.data(), want);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("Cannot read", path, errno);
    }
    if (n == 0) break;
    content.append(chunk.data(), static_cast<size_t>(n));
  }
  return content;
}

}  // namespace lum
