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

std::optional<ProfileFile::Entries> Settings::PortsSection() const {
  return ProfileFile::Load(path_).SectionEntries(kPortsSection);
}

}  // namespace lum
