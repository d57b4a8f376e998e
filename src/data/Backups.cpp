#include "data/Backups.h"

#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "base/AtomicFile.h"
#include "base/TimeStamp.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"

namespace lum {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

// ISO 8601 basic format in UTC, with no characters a file system could refuse.
constexpr char kNameFormat[] = "{:04}{:02}{:02}T{:02}{:02}{:02}Z";
constexpr size_t kStampLength = 16;  // yyyymmddThhmmssZ
constexpr int kMaxSameSecond = 10000;

std::tm UtcParts(Clock::time_point time) {
  const std::time_t seconds = Clock::to_time_t(time);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  return parts;
}

std::string NameStamp(Clock::time_point time) {
  const std::tm t = UtcParts(time);
  return fmt::format(kNameFormat, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

bool AllDigits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size() || count == 0) return false;
  return std::all_of(text.begin() + static_cast<long>(from), text.begin() + static_cast<long>(from + count),
                     [](char c) { return c >= '0' && c <= '9'; });
}

int Number(const std::string& text, size_t from, size_t count) { return std::stoi(text.substr(from, count)); }

struct ParsedName {
  Clock::time_point time;
  int sameSecond = 1;  // 1 for the plain name, n for "-n"
};

std::optional<ParsedName> ParseName(const std::string& name) {
  const std::string extension = backup_files::kExtension;
  if (name.size() < kStampLength + extension.size() || !name.ends_with(extension)) return std::nullopt;
  const std::string stem = name.substr(0, name.size() - extension.size());
  if (!AllDigits(stem, 0, 8) || stem[8] != 'T' || !AllDigits(stem, 9, 6) || stem[15] != 'Z') return std::nullopt;
  ParsedName parsed;
  if (stem.size() > kStampLength) {
    if (stem[kStampLength] != '-' || !AllDigits(stem, kStampLength + 1, stem.size() - kStampLength - 1) ||
        stem.size() - kStampLength - 1 > 5)
      return std::nullopt;
    parsed.sameSecond = Number(stem, kStampLength + 1, stem.size() - kStampLength - 1);
  }
  std::tm t{};
  t.tm_year = Number(stem, 0, 4) - 1900;
  t.tm_mon = Number(stem, 4, 2) - 1;
  t.tm_mday = Number(stem, 6, 2);
  t.tm_hour = Number(stem, 9, 2);
  t.tm_min = Number(stem, 11, 2);
  t.tm_sec = Number(stem, 13, 2);
  parsed.time = Clock::from_time_t(timegm(&t));
  return parsed;
}

// Absolute, so that the paths reported stay true whatever the working directory becomes.
fs::path BackupRoot(const std::string& directory) {
  return fs::absolute(directory).lexically_normal() / backup_files::kFolder;
}

// Writes the bytes to a temporary file and links it under the target name: link() fails
// rather than replace a file that exists, which a rename would do.
bool CreateNew(const fs::path& target, const std::string& bytes) {
  const fs::path temporary = target.string() + fmt::format(".new{}", ::getpid());
  WriteFileAtomically(temporary.string(), bytes);
  const int linked = ::link(temporary.c_str(), target.c_str());
  const int error = errno;
  std::error_code ignored;
  fs::remove(temporary, ignored);
  if (linked == 0) return true;
  if (error == EEXIST) return false;
  throw std::runtime_error(fmt::format("{}: {}", target.string(), std::strerror(error)));
}

}  // namespace

std::string SaveBackup(const std::string& directory, uint32_t serial, const TCONFIG_BLOCK& block,
                       Clock::time_point when) {
  const fs::path folder = BackupRoot(directory) / FormatSerial(serial);
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw std::runtime_error(fmt::format("{}: {}", folder.string(), error.message()));
  const ConfigImage image = BuildConfigImage(block);
  const std::string bytes(image.begin(), image.end());
  const std::string stamp = NameStamp(when);
  for (int n = 1; n <= kMaxSameSecond; ++n) {
    const std::string name = n == 1 ? stamp : fmt::format("{}-{}", stamp, n);
    const fs::path target = folder / (name + backup_files::kExtension);
    if (CreateNew(target, bytes)) return target.string();
  }
  throw std::runtime_error(fmt::format("{}: too many backups within one second", folder.string()));
}

BackupReport BackUpReadEntries(const std::string& directory, const EntryStore::List& entries) {
  BackupReport report;
  for (const auto& entry : entries) {
    if (!entry->FromDevice) continue;
    try {
      report.lines.push_back(
          fmt::format("[{}] Backup saved: {}", NowStamp(), SaveBackup(directory, entry->SerialNumber, entry->Config)));
    } catch (const std::exception& e) {
      report.lines.push_back(fmt::format("[{}] Backup failed: {}", NowStamp(), e.what()));
      report.failed = true;
    }
  }
  return report;
}

std::vector<BackupFile> ListBackups(const std::string& directory, const std::optional<std::string>& serial) {
  struct Found {
    BackupFile file;
    int sameSecond;
  };
  std::vector<Found> found;
  const fs::path root = BackupRoot(directory);
  std::error_code error;
  if (!fs::is_directory(root, error)) return {};
  for (const fs::directory_entry& folder : fs::directory_iterator(root, error)) {
    const std::string name = folder.path().filename().string();
    // A symbolic link leads out of the backups (a prune would delete whatever it points at):
    // only real folders and files are backups.
    if (folder.is_symlink(error) || !folder.is_directory(error) || (serial && name != *serial)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(folder.path(), error)) {
      if (file.is_symlink(error) || !file.is_regular_file(error)) continue;
      const auto parsed = ParseName(file.path().filename().string());
      if (parsed) found.push_back({{file.path().string(), name, parsed->time}, parsed->sameSecond});
    }
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.file.time != b.file.time) return a.file.time > b.file.time;
    if (a.sameSecond != b.sameSecond) return a.sameSecond > b.sameSecond;
    return a.file.serial < b.file.serial;
  });
  std::vector<BackupFile> files;
  files.reserve(found.size());
  for (Found& f : found) files.push_back(std::move(f.file));
  return files;
}

std::vector<BackupFile> PruneBackups(const std::string& directory, size_t keep,
                                     const std::optional<std::string>& serial) {
  std::map<std::string, size_t> kept;
  std::vector<BackupFile> removed;
  for (BackupFile& file : ListBackups(directory, serial)) {
    if (kept[file.serial]++ < keep) continue;
    fs::remove(file.path);
    removed.push_back(std::move(file));
  }
  return removed;
}

std::string FormatBackupTime(Clock::time_point time) {
  const std::tm t = UtcParts(time);
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02} UTC", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                     t.tm_min, t.tm_sec);
}

}  // namespace lum
