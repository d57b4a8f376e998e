#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lum {

/// The log file, in the working directory, appended to at every close.
inline constexpr char kLogFileName[] = "LUM.LOG";

/// The new content of the log: the old file's lines (when there is an old file), one empty
/// line, then the lines of this run; every line ended by CR LF.
std::string ComposeLog(const std::optional<std::string>& oldContent, const std::vector<std::string>& runLines);

/// Appends the run's lines to LUM.LOG in `directory`, replacing the file atomically.
/// Throws std::runtime_error (with the reason) when the old log cannot be read or the new one
/// cannot be written; the old log then stays as it was.
void AppendRunToLog(const std::string& directory, const std::vector<std::string>& runLines);

}  // namespace lum
