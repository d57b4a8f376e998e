#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lum {

/// The environment variables that decide where files live and which language is spoken.
struct Environment {
  std::string home;
  std::string configHome;  // XDG_CONFIG_HOME
  std::string stateHome;   // XDG_STATE_HOME
  std::string dataHome;    // XDG_DATA_HOME
  std::string lcAll;       // LC_ALL
  std::string lcMessages;  // LC_MESSAGES
  std::string lang;        // LANG

  /// This process's variables (HOME from the password database when unset).
  static Environment FromProcess();
};

/// Where the program keeps its files. A start folder holding LUM.INI keeps everything (portable
/// use); otherwise settings and language files go to $XDG_CONFIG_HOME/lum, the log to
/// $XDG_STATE_HOME/lum and the data to $XDG_DATA_HOME/lum, and nothing is written into the
/// start folder. LUM.INI may name another data folder.
struct FileLocations {
  bool portable = false;
  std::string startDir;
  std::string settingsDir;         // LUM.INI and the language files the program reads and completes
  std::string logDir;              // LUM.LOG
  std::string dataDir;             // backups and the records database
  std::string defaultDataDir;      // the data folder while LUM.INI names none
  std::string shippedLanguageDir;  // the installed language files; may not exist

  /// Where language files are looked for, first match wins: the settings folder, the start
  /// folder, the installed ones.
  std::vector<std::string> LanguageDirs() const;
};

inline constexpr char kAppFolder[] = "lum";

FileLocations LocateFiles(const std::string& startDir, const Environment& env, const std::string& shippedLanguageDir);

/// Creates the settings, log and data folders when they are missing. Throws std::runtime_error naming
/// the folder that cannot be made.
void PrepareFolders(const FileLocations& locations);

/// The installed language folder, found from the running executable (bin/../share/lum/lang).
std::string InstalledLanguageDir();

/// Copies every shipped language file that the settings folder lacks into it, so that the
/// language pass can complete it there. Failures leave the file out silently.
void AdoptShippedLanguageFiles(const FileLocations& locations);

/// Whether the messages locale (LC_ALL, else LC_MESSAGES, else LANG) is Chinese.
bool PrefersChinese(const Environment& env);

/// The English language file name the system ships.
inline constexpr char kEnglishLanguageFile[] = "LUM_en.lng";

/// The language file to use when LUM.INI remembers none: the English file under a locale that
/// is not Chinese and when one of `dirs` holds it, otherwise the built-in default.
std::string LocaleLanguageFile(const Environment& env, const std::vector<std::string>& dirs);

/// The name of the language file both programs speak when started with these locations: the one
/// LUM.INI remembers, else the one the locale asks for.
std::string ChosenLanguageFile(const FileLocations& locations, const Environment& env);

/// Copies the chosen language file into the settings folder when only the start folder or the
/// installed ones hold it: the window offers and completes the settings folder's files, and
/// must speak the language lumctl finds in the other folders.
void AdoptChosenLanguageFile(const FileLocations& locations, const Environment& env);

/// The path of a language file in the first of `dirs` that holds it (names matched without
/// regard to letter case), or nullopt.
std::optional<std::string> FindLanguageFile(const std::vector<std::string>& dirs, const std::string& name);

}  // namespace lum
