#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "language/MessageTable.h"
#include "language/ProfileFile.h"
#include "language/Settings.h"

namespace lum {

/// Sections and fixed keys of a language file.
namespace language_keys {
inline constexpr char kFileInfo[] = "FileInfo";
inline constexpr char kStrings[] = "Strings";
inline constexpr char kMessages[] = "Messages";
inline constexpr char kDeviceDescription[] = "DeviceDescription";
inline constexpr char kWorkMode[] = "WorkMode";
inline constexpr char kBatteryDescription[] = "BatteryDescription";

inline constexpr char kLanguage[] = "Language";
inline constexpr char kApplication[] = "Application";
inline constexpr char kApplicationName[] = "LUM";  // compared case-sensitively
inline constexpr char kDefaultLanguageName[] = "Chinese Simplified(简体中文)";
/// The comment lines a newly created language file starts with (each ended by CR LF).
inline constexpr char kNewFileHeader[] = ";LUM Language File\r\n;Author: orrin\r\n;\r\n\r\n";
}  // namespace language_keys

/// "FormLUM.Caption" / "FormLUM.Hint": keys of a window's own texts in [Strings].
std::string WindowCaptionKey(std::string_view window);
std::string WindowHintKey(std::string_view window);
/// "FormLUM.grpBatteryType.Caption" / "FormLUM.chkMI.Hint": keys of a component's texts.
std::string CaptionKey(std::string_view window, std::string_view component);
std::string HintKey(std::string_view window, std::string_view component);
/// [DeviceDescription] key: decimal of the code with the top byte and bits 0-3 cleared.
std::string DeviceDescriptionKey(uint32_t productCode);
/// [WorkMode] key: "0".."2".
std::string WorkModeKey(int index);
/// [BatteryDescription] key: decimal battery code.
std::string BatteryDescriptionKey(uint16_t code);

/// Sets every translatable message slot whose key the file holds (an empty value included);
/// slots the file lacks keep their text. The file is only read.
void ReadMessages(const ProfileFile& file, MessageTable& table);

/// Creates the remembered language file of the directory (LUM.INI's choice, else `defaultName`)
/// when it does not exist: the comment header, then [FileInfo] Language and Application.
/// LUM.INI is never written. Throws std::runtime_error with a clear text.
void EnsureLanguageFile(const std::string& directory, const std::string& defaultName = Settings::kDefaultLanguageFile);
/// The same for a language file of this name (the built-in language's "LUM_chs.lng").
void EnsureNamedLanguageFile(const std::string& directory, const std::string& name);

/// The display name of a language file that is offered: [FileInfo] Application exactly "LUM"
/// and a non-empty Language; nullopt otherwise (a directory or unreadable file included).
std::optional<std::string> IsOfferedLanguageFile(const std::string& path);

}  // namespace lum
