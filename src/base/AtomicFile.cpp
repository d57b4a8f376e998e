#include "base/AtomicFile.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/RegularFile.h"

namespace lum {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
// As many links as the system itself follows before giving up (ELOOP).
constexpr int kMaxLinkHops = 40;

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw FileError("Cannot write", path, reason);
}

[[noreturn]] void FailWithError(const std::string& path, int error) { Fail(path, std::strerror(error)); }

// The file a name stands for: the end of its chain of symbolic links, which need not exist yet.
std::string FollowLinks(const std::string& path) {
  fs::path current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error))) return current.string();
    const fs::path target = fs::read_symlink(current, error);
    if (error) return current.string();
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  FailWithError(path, ELOOP);
}

std::string FolderOf(const std::string& file) {
  const fs::path folder = fs::path(file).parent_path();
  return folder.empty() ? "." : folder.string();
}

// Refuses what must not be written: anything but a regular file, and a file that nobody may
// write. The mode bits are checked here because root could write the file anyway.
void CheckWritable(const std::string& path, const struct stat& info) {
  if (S_ISDIR(info.st_mode)) Fail(path, "it is a directory, not a regular file");
  if (!S_ISREG(info.st_mode)) Fail(path, "it is not a regular file");
  if ((info.st_mode & kAnyWriteBit) == 0) Fail(path, "the file is read-only");
}

[[noreturn]] void FailInFolder(const std::string& path, const std::string& folder, int error) {
  if (error == EACCES || error == EPERM || error == EROFS)
    Fail(path, fmt::format("the folder {} is not writable ({})", folder, std::strerror(error)));
  Fail(path, fmt::format("no file can be made in the folder {}: {}", folder, std::strerror(error)));
}

void WriteAll(int fd, const std::string& bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      FailWithError(path, errno);
    }
    done += static_cast<size_t>(n);
  }
}

// The rename is only durable once the folder itself is on the disk; a failure there cannot
// undo the write, so it is not reported.
void SyncFolder(const std::string& folder) {
  const FileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());
}

// The temporary file beside the target; removed unless the write went through.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& shownPath) : name_(target + ".XXXXXX") {
    std::vector<char> pattern(name_.begin(), name_.end());
    pattern.push_back('\0');
    fd_ = FileDescriptor(mkstemp(pattern.data()));
    if (fd_.get() < 0) FailInFolder(shownPath, FolderOf(target), errno);
    name_.assign(pattern.data());
  }
  ~TempFile() {
    if (!kept_) unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_.get(); }
  const std::string& name() const { return name_; }
  int Close() {
    const int result = close(fd_.get());
    fd_ = FileDescriptor(-1);  // closed either way
    return result;
  }
  void Keep() { kept_ = true; }

 private:
  std::string name_;
  FileDescriptor fd_;
  bool kept_ = false;
};

}  // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string target = FollowLinks(path);
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists) CheckWritable(path, old);

  TempFile temp(target, path);
  WriteAll(temp.fd(), bytes, path);
  // mkstemp creates 0600 for this user; the file keeps the permissions and, where this
  // process may set it, the owner it had. A new one gets the usual permissions.
  if (fchmod(temp.fd(), exists ? (old.st_mode & kPermissionBits) : kNewFileMode) != 0) FailWithError(path, errno);
  if (exists && (old.st_uid != geteuid() || old.st_gid != getegid())) {
    [[maybe_unused]] const int ignored = fchown(temp.fd(), old.st_uid, old.st_gid);
  }
  if (fsync(temp.fd()) != 0) FailWithError(path, errno);
  if (temp.Close() != 0) FailWithError(path, errno);
  if (rename(temp.name().c_str(), target.c_str()) != 0) FailWithError(path, errno);
  temp.Keep();
  SyncFolder(FolderOf(target));
}

void AppendToFile(const std::string& path, const std::function<std::string(AppendPoint)>& bytesAt) {
  const std::string target = FollowLinks(path);
  struct stat info {};
  const bool existed = stat(target.c_str(), &info) == 0;
  if (existed) CheckWritable(path, info);

  constexpr int kFlags = O_RDWR | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  FileDescriptor file(existed ? open(target.c_str(), kFlags)
                              : open(target.c_str(), kFlags | O_CREAT | O_EXCL, kNewFileMode));
  if (file.get() < 0) {
    if (!existed && (errno == EACCES || errno == EPERM || errno == EROFS)) FailInFolder(path, FolderOf(target), errno);
    FailWithError(path, errno);
  }
  // Checked again on what was opened, should the name have been replaced in between.
  if (fstat(file.get(), &info) != 0) FailWithError(path, errno);
  CheckWritable(path, info);

  const off_t oldSize = info.st_size;
  char last = '\n';
  if (oldSize > 0 && pread(file.get(), &last, 1, oldSize - 1) != 1) FailWithError(path, errno);
  const std::string bytes = bytesAt({existed, last == '\n'});
  try {
    WriteAll(file.get(), bytes, path);
    if (fsync(file.get()) != 0) FailWithError(path, errno);
  } catch (const std::runtime_error&) {
    // A partial append (a full disk) is taken back, so the file stays as it was.
    if (ftruncate(file.get(), oldSize) == 0) fsync(file.get());
    throw;
  }
  if (!existed) SyncFolder(FolderOf(target));
}

}  // namespace lum
