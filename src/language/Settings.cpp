#include "language/Settings.h"

#include <filesystem>
#include <utility>

namespace lum {

bool IsPlainFileName(std::string_view name) {
  // Both separators count: the name may come from a settings file written on Windows.
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos;
}

Settings::Settings(std::string directory) : path_((std::filesystem::path(std::move(directory)) / kFileName).string()) {}

std::string Settings::LanguageFile(const std::string& fallback) const {
  return ProfileFile::Load(path_).ReadOr(kLanguageSection, kLanguageFileKey, fallback);
}

void Settings::SetLanguageFile(const std::string& name) const {
  WriteProfileString(path_, kLanguageSection, kLanguageFileKey, name);
}

namespace {
constexpr char kOff[] = "0";
constexpr char kOn[] = "1";
}  // namespace

std::string Settings::DataFolderSetting() const {
  return ProfileFile::Load(path_).ReadOr(kDataSection, kDataFolderKey, "");
}

std::string Settings::DataFolder(const std::string& fallback) const {
  const std::string folder = DataFolderSetting();
  return folder.empty() ? fallback : BesideSettings(folder);
}

std::string Settings::BesideSettings(const std::string& folder) const {
  return (std::filesystem::path(path_).parent_path() / folder).lexically_normal().string();
}

void Settings::SetDataFolder(const std::string& folder) const {
  WriteProfileString(path_, kDataSection, kDataFolderKey, folder);
}

std::string Settings::Database() const { return ProfileFile::Load(path_).ReadOr(kDataSection, kDatabaseKey, ""); }

void Settings::SetDatabase(const std::string& database) const {
  WriteProfileString(path_, kDataSection, kDatabaseKey, database);
}

bool Settings::Recording() const { return ProfileFile::Load(path_).ReadOr(kDataSection, kRecordingKey, kOn) != kOff; }

void Settings::SetRecording(bool on) const { WriteProfileString(path_, kDataSection, kRecordingKey, on ? kOn : kOff); }

std::string Settings::MonitorPort() const {
  return ProfileFile::Load(path_).ReadOr(kMonitorSection, kMonitorPortKey, "");
}

void Settings::SetMonitorPort(const std::string& port) const {
  WriteProfileString(path_, kMonitorSection, kMonitorPortKey, port);
}

std::optional<ProfileFile::Entries> Settings::PortsSection() const {
  return ProfileFile::Load(path_).SectionEntries(kPortsSection);
}

ProfileFile::Entries Settings::BusSection() const { return SectionEntries(kBusSection); }

void Settings::SetBus(const std::string& port, const std::string& addresses) const {
  WriteProfileString(path_, kBusSection, port, addresses);
}

ProfileFile::Entries Settings::SectionEntries(std::string_view section) const {
  return ProfileFile::Load(path_).SectionEntries(section).value_or(ProfileFile::Entries{});
}

}  // namespace lum
