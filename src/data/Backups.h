#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
#include "data/DeviceConfig.h"

namespace lum {

/// Every configuration read from a controller is kept as a configuration file
/// `backups/<serial number>/<UTC time>.LUM` under the data folder. A backup is never
/// replaced; old ones go only by an explicit prune.
namespace backup_files {
inline constexpr char kFolder[] = "backups";
inline constexpr char kExtension[] = ".LUM";
}  // namespace backup_files

struct BackupFile {
  std::string path;
  std::string serial;  // the folder name: FormatSerial of the controller's serial number
  std::chrono::system_clock::time_point time;
};

/// Saves the block as a new backup of the controller and returns its path. Two backups of
/// the same second get "-2", "-3", ... after the time; an existing file is never replaced,
/// even by another program saving at the same moment. Throws std::runtime_error naming the
/// path when the file cannot be written.
std::string SaveBackup(const std::string& directory, uint32_t serial, const TCONFIG_BLOCK& block,
                       std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

/// What backing up the entries read did: one information line per entry,
/// "[stamp] Backup saved: PATH" or "[stamp] Backup failed: WHY".
struct BackupReport {
  std::vector<std::string> lines;
  bool failed = false;  // some configuration read is kept nowhere
};

/// Backs up every entry of the list that a complete read filled (FromDevice).
BackupReport BackUpReadEntries(const std::string& directory, const EntryStore::List& entries);

/// The backups under the directory, newest first; only one controller's when serial is given.
/// Files whose names are not backup names are left out, and so are symbolic links (of a
/// controller's folder or of a file), which would lead out of the backups.
std::vector<BackupFile> ListBackups(const std::string& directory, const std::optional<std::string>& serial = {});

/// Removes all but the newest `keep` backups of each controller (of one when serial is given)
/// and returns the removed files.
std::vector<BackupFile> PruneBackups(const std::string& directory, size_t keep,
                                     const std::optional<std::string>& serial = {});

/// "yyyy-mm-dd hh:mm:ss UTC".
std::string FormatBackupTime(std::chrono::system_clock::time_point time);

}  // namespace lum
