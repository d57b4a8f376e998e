#include "language/FileLocations.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "InstallLayout.h"
#include "base/AsciiText.h"
#include "language/Settings.h"

namespace lum {

namespace fs = std::filesystem;

namespace {

constexpr char kLanguageExtension[] = ".lng";
constexpr char kChineseLocalePrefix[] = "zh";
constexpr char kSelfExecutable[] = "/proc/self/exe";

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeFromPasswordDatabase() {
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are invalid
// and ignored), else the fallback under the home folder.
fs::path BaseFolder(const std::string& variable, const std::string& home, const char* fallback) {
  if (!variable.empty() && fs::path(variable).is_absolute()) return variable;
  return fs::path(home) / fallback;
}

}  // namespace

Environment Environment::FromProcess() {
  Environment env;
  env.home = Variable("HOME");
  if (env.home.empty()) env.home = HomeFromPasswordDatabase();
  env.configHome = Variable("XDG_CONFIG_HOME");
  env.stateHome = Variable("XDG_STATE_HOME");
  env.dataHome = Variable("XDG_DATA_HOME");
  env.lcAll = Variable("LC_ALL");
  env.lcMessages = Variable("LC_MESSAGES");
  env.lang = Variable("LANG");
  return env;
}

std::vector<std::string> FileLocations::LanguageDirs() const {
  std::vector<std::string> dirs{settingsDir};
  if (startDir != settingsDir) dirs.push_back(startDir);
  if (!shippedLanguageDir.empty()) dirs.push_back(shippedLanguageDir);
  return dirs;
}

FileLocations LocateFiles(const std::string& startDir, const Environment& env, const std::string& shippedLanguageDir) {
  FileLocations locations;
  locations.shippedLanguageDir = shippedLanguageDir;
  locations.startDir = startDir;
  std::error_code error;
  if (fs::exists(fs::path(startDir) / Settings::kFileName, error)) {
    locations.portable = true;
    locations.settingsDir = startDir;
    locations.logDir = startDir;
    locations.dataDir = startDir;
  } else {
    locations.settingsDir = (BaseFolder(env.configHome, env.home, ".config") / kAppFolder).string();
    locations.logDir = (BaseFolder(env.stateHome, env.home, ".local/state") / kAppFolder).string();
    locations.dataDir = (BaseFolder(env.dataHome, env.home, ".local/share") / kAppFolder).string();
  }
  locations.defaultDataDir = locations.dataDir;
  locations.dataDir = Settings(locations.settingsDir).DataFolder(locations.defaultDataDir);
  return locations;
}

void PrepareFolders(const FileLocations& locations) {
  for (const std::string& dir : {locations.settingsDir, locations.logDir, locations.dataDir}) {
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) throw std::runtime_error("Cannot create the folder " + dir + ": " + error.message());
  }
}

std::string InstalledLanguageDir() {
  std::error_code error;
  const fs::path executable = fs::read_symlink(kSelfExecutable, error);
  if (error) return {};
  return (executable.parent_path() / install_layout::kBinToLanguageDir).lexically_normal().string();
}

void AdoptShippedLanguageFiles(const FileLocations& locations) {
  if (locations.shippedLanguageDir.empty()) return;
  std::error_code error;
  for (fs::directory_iterator it(locations.shippedLanguageDir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (it->path().extension() != kLanguageExtension || FindLanguageFile({locations.settingsDir}, name)) continue;
    std::error_code ignored;
    fs::copy_file(it->path(), fs::path(locations.settingsDir) / name, ignored);
  }
}

bool PrefersChinese(const Environment& env) {
  const std::string& locale = !env.lcAll.empty() ? env.lcAll : !env.lcMessages.empty() ? env.lcMessages : env.lang;
  return locale.rfind(kChineseLocalePrefix, 0) == 0;
}

std::string LocaleLanguageFile(const Environment& env, const std::vector<std::string>& dirs) {
  if (!PrefersChinese(env) && FindLanguageFile(dirs, kEnglishLanguageFile)) return kEnglishLanguageFile;
  return Settings::kDefaultLanguageFile;
}

std::string ChosenLanguageFile(const FileLocations& locations, const Environment& env) {
  return Settings(locations.settingsDir).LanguageFile(LocaleLanguageFile(env, locations.LanguageDirs()));
}

void AdoptChosenLanguageFile(const FileLocations& locations, const Environment& env) {
  const std::string name = ChosenLanguageFile(locations, env);
  if (!IsPlainFileName(name) || FindLanguageFile({locations.settingsDir}, name)) return;
  const auto found = FindLanguageFile(locations.LanguageDirs(), name);
  if (!found) return;
  std::error_code ignored;
  fs::copy_file(*found, fs::path(locations.settingsDir) / fs::path(*found).filename(), ignored);
}

std::optional<std::string> FindLanguageFile(const std::vector<std::string>& dirs, const std::string& name) {
  for (const std::string& dir : dirs) {
    std::error_code error;
    const fs::path exact = fs::path(dir) / name;
    if (fs::is_regular_file(exact, error)) return exact.string();
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
      if (EqualsIgnoringCase(it->path().filename().string(), name)) return it->path().string();
  }
  return std::nullopt;
}

}  // namespace lum
