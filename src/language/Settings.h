#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "language/ProfileFile.h"

namespace lum {

/// True for a file name without a folder part: not empty, not "." or "..", no slash or backslash.
/// A remembered language file must be one; any other is neither read nor created, and the
/// built-in texts stay.
bool IsPlainFileName(std::string_view name);

/// The settings file LUM.INI of a directory. Every call reads or writes the file afresh,
/// as the profile functions do.
class Settings {
 public:
  static constexpr char kFileName[] = "LUM.INI";
  static constexpr char kLanguageSection[] = "Language";
  static constexpr char kLanguageFileKey[] = "LanguageFile";
  static constexpr char kDefaultLanguageFile[] = "LUM_chs.lng";
  static constexpr char kPortsSection[] = "Ports";
  static constexpr char kBusSection[] = "Bus";
  static constexpr char kDataSection[] = "Data";
  static constexpr char kDataFolderKey[] = "Folder";
  static constexpr char kDatabaseKey[] = "Database";
  static constexpr char kRecordingKey[] = "Recording";
  static constexpr char kMonitorSection[] = "Monitor";
  static constexpr char kMonitorPortKey[] = "Port";

  explicit Settings(std::string directory);

  const std::string& Path() const { return path_; }

  /// The remembered language file name (`fallback` when none is remembered).
  std::string LanguageFile(const std::string& fallback = kDefaultLanguageFile) const;
  /// Remembers a language file, creating the file or section as needed.
  /// Throws std::runtime_error "Unable to write to <path>".
  void SetLanguageFile(const std::string& name) const;
  /// The data folder LUM.INI names (a relative one lies beside LUM.INI), else `fallback`.
  std::string DataFolder(const std::string& fallback) const;
  /// A folder named in LUM.INI: a relative name lies beside LUM.INI.
  std::string BesideSettings(const std::string& folder) const;
  /// Remembers the data folder; an empty name forgets it. Throws as SetLanguageFile.
  void SetDataFolder(const std::string& folder) const;
  /// The data folder as LUM.INI names it; empty when it names none.
  std::string DataFolderSetting() const;
  /// The records database LUM.INI names (an SQLite file or a postgresql:// URL); empty: the
  /// data folder's own file.
  std::string Database() const;
  void SetDatabase(const std::string& database) const;
  /// Whether the live monitor's polls are recorded (they are unless LUM.INI says 0).
  bool Recording() const;
  void SetRecording(bool on) const;
  /// The port the live monitor offers first (COMn); empty: the first port that opens.
  std::string MonitorPort() const;
  void SetMonitorPort(const std::string& port) const;
  /// The entries of [Ports], or nullopt when the section does not exist.
  std::optional<ProfileFile::Entries> PortsSection() const;
  /// The entries of [Bus] (COM3=1-32: the ports that are buses), empty without the section.
  ProfileFile::Entries BusSection() const;
  /// Makes `port` (COMn) a bus looked at on `addresses` ("1-32"). Throws as SetLanguageFile.
  void SetBus(const std::string& port, const std::string& addresses) const;
  /// The entries of any section, empty without it.
  ProfileFile::Entries SectionEntries(std::string_view section) const;

 private:
  std::string path_;
};

}  // namespace lum
