#pragma once

#include <string>

namespace lum {

/// The executable's file name without folder and extension, the first letter in upper case and
/// the rest in lower case: "C:\LUM\LUM.EXE" and "/usr/bin/lum" both give "Lum", "Tool.exe" "Tool".
std::string ApplicationTitle(const std::string& executablePath);

/// The first line of the information panel: "%s %s Started at %s %s" with sixteen "=" around
/// the title and the time stamp.
std::string StartLine(const std::string& title, const std::string& stamp);

}  // namespace lum
