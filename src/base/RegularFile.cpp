#include "base/RegularFile.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lum {

namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kMebibyte = 1024 * 1024;

[[noreturn]] void ThrowSystemError(const char* action, const std::string& path, int error) {
  throw FileError(action, path, std::strerror(error));
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a plain file";
}

void RefuseUnlessRegular(const struct stat& info, const std::string& path) {
  if (!S_ISREG(info.st_mode))
    throw FileError("Cannot read", path, fmt::format("it is {}, not a regular file", KindOf(info.st_mode)));
}

std::string LimitText(size_t bytes) {
  if (bytes % kMebibyte == 0) return fmt::format("{} MiB ({} bytes)", bytes / kMebibyte, bytes);
  return fmt::format("{} bytes", bytes);
}

[[noreturn]] void ThrowTooLarge(const std::string& path, size_t limit) {
  throw FileTooLarge("Cannot read", path, "the file is too large, the limit is " + LimitText(limit));
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

FileDescriptor OpenRegularFile(const std::string& path) {
  // Looked at before opening: opening a device can act on it (a serial port raises its lines).
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) ThrowSystemError("Cannot open", path, errno);
  RefuseUnlessRegular(info, path);
  // Non-blocking and checked again, should the name have been replaced in between.
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) ThrowSystemError("Cannot open", path, errno);
  if (fstat(file.get(), &info) != 0) ThrowSystemError("Cannot read", path, errno);
  RefuseUnlessRegular(info, path);
  return file;
}

size_t ReadSome(const FileDescriptor& file, const std::string& path, char* buffer, size_t length) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = read(file.get(), buffer + done, length - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("Cannot read", path, errno);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

std::string ReadWholeFile(const std::string& path, size_t limit) {
  const FileDescriptor file = OpenRegularFile(path);
  struct stat info {};
  if (fstat(file.get(), &info) != 0) ThrowSystemError("Cannot read", path, errno);
  if (static_cast<unsigned long long>(info.st_size) > limit) ThrowTooLarge(path, limit);
  std::string content;
  content.reserve(static_cast<size_t>(info.st_size));
  char chunk[kReadChunk];
  // A file that grew while it was read is refused as well, never cut.
  for (size_t n; (n = ReadSome(file, path, chunk, sizeof(chunk))) > 0;) {
    if (content.size() + n > limit) ThrowTooLarge(path, limit);
    content.append(chunk, n);
    if (n < sizeof(chunk)) break;
  }
  return content;
}

std::string ReadFilePrefix(const std::string& path, size_t length) {
  const FileDescriptor file = OpenRegularFile(path);
  std::string content(length, '\0');
  content.resize(ReadSome(file, path, content.data(), length));
  return content;
}

}  // namespace lum
