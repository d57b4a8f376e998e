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

  explicit Settings(std::string directory);

  const std::string& Path() const { return path_; }

  /// The remembered language file name (`fallback` when none is remembered).
  std::string LanguageFile(const std::string& fallback = kDefaultLanguageFile) const;
  /// Remembers a language file, creating the file or section as needed.
  /// Throws std::runtime_error "Unable to write to <path>".
  void SetLanguageFile(const std::string& name) const;
  /// The entries of [Ports], or nullopt when the section does not exist.
  std::optional<ProfileFile::Entries> PortsSection() const;

 private:
  std::string path_;
};

}  // namespace lum
