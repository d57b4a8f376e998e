#include "language/LanguageKeys.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "base/AsciiText.h"
#include "data/TypeTables.h"
#include "language/FileLocations.h"
#include "language/Settings.h"

namespace lum {

namespace {
constexpr char kSeparator = '.';
constexpr char kCaption[] = "Caption";
constexpr char kHint[] = "Hint";

std::string Join(std::string_view a, std::string_view b) {
  std::string key(a);
  key += kSeparator;
  key += b;
  return key;
}
}  // namespace

std::string WindowCaptionKey(std::string_view window) { return Join(window, kCaption); }
std::string WindowHintKey(std::string_view window) { return Join(window, kHint); }
std::string CaptionKey(std::string_view window, std::string_view component) {
  return Join(Join(window, component), kCaption);
}
std::string HintKey(std::string_view window, std::string_view component) {
  return Join(Join(window, component), kHint);
}

std::string DeviceDescriptionKey(uint32_t productCode) { return std::to_string(productCode & kProductCodeMask); }
std::string WorkModeKey(int index) { return std::to_string(index); }
std::string BatteryDescriptionKey(uint16_t code) { return std::to_string(code); }

void ReadMessages(const ProfileFile& file, MessageTable& table) {
  for (int n = MessageTable::kFirstKeyed; n <= MessageTable::kLastKeyed; ++n) {
    if (!MessageTable::IsKeyed(n)) continue;
    if (auto text = file.Read(language_keys::kMessages, MessageTable::Key(n))) table.SetText(n, std::move(*text));
  }
}

void EnsureLanguageFile(const std::string& directory, const std::string& defaultName) {
  EnsureNamedLanguageFile(directory, Settings(directory).LanguageFile(defaultName));
}

void EnsureNamedLanguageFile(const std::string& directory, const std::string& name) {
  // Matched without regard to case (as the language menu matches the remembered name), so
  // LUM.INI naming lum_EN.LNG finds LUM_en.lng instead of creating a twin.
  if (!IsPlainFileName(name) || FindLanguageFile({directory}, name)) return;
  const std::string path = (std::filesystem::path(directory) / name).string();
  // Created as a plain new file (never replacing one that appeared meanwhile), as the
  // program's text-file writer would, then completed through the profile writer.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("Cannot create " + path + ": " + std::strerror(errno));
  const std::string_view header = language_keys::kNewFileHeader;
  const bool written = write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
  const int writeError = errno;
  close(fd);
  if (!written) {
    unlink(path.c_str());  // a later start tries again
    throw std::runtime_error("Cannot write " + path + ": " + std::strerror(writeError));
  }
  WriteProfileString(path, language_keys::kFileInfo, language_keys::kLanguage, language_keys::kDefaultLanguageName);
  WriteProfileString(path, language_keys::kFileInfo, language_keys::kApplication, language_keys::kApplicationName);
}

std::optional<std::string> IsOfferedLanguageFile(const std::string& path) {
  const ProfileFile file = ProfileFile::Load(path);
  if (file.ReadOr(language_keys::kFileInfo, language_keys::kApplication, "") != language_keys::kApplicationName)
    return std::nullopt;
  std::string name = file.ReadOr(language_keys::kFileInfo, language_keys::kLanguage, "");
  if (name.empty()) return std::nullopt;
  return name;
}

}  // namespace lum
