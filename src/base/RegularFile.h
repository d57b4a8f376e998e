#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

namespace lum {

/// A file that cannot be read or written: what() is "<action> <path>: <reason>", reason()
/// the part after the path, for messages that name the file their own way.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& action, const std::string& path, std::string reason)
      : std::runtime_error(action + " " + path + ": " + reason), reason_(std::move(reason)) {}
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

/// A file that is larger than the reader accepts; the reason names the limit.
class FileTooLarge : public FileError {
 public:
  using FileError::FileError;
};

/// An open file descriptor, closed when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }

 private:
  int fd_;
};

/// Opens a regular file for reading. Opening never blocks (a FIFO without a writer, a
/// terminal): anything that is not a regular file is refused with "<path> is not a regular
/// file". Throws FileError.
FileDescriptor OpenRegularFile(const std::string& path);

/// Reads up to `length` bytes; fewer only at the end of the file. Throws FileError.
size_t ReadSome(const FileDescriptor& file, const std::string& path, char* buffer, size_t length);

/// Default limit of ReadWholeFile: far above any file this program reads.
inline constexpr size_t kDefaultReadLimit = 16 * 1024 * 1024;

/// The whole content of a regular file. A file of more than `limit` bytes is refused with
/// FileTooLarge, never cut. Throws FileError.
std::string ReadWholeFile(const std::string& path, size_t limit = kDefaultReadLimit);

/// The first `length` bytes of a regular file (all of a shorter one); the rest is not read.
std::string ReadFilePrefix(const std::string& path, size_t length);

}  // namespace lum
