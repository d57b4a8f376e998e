#pragma once

#include <string>
#include <vector>

#include "base/AtomicFile.h"

namespace lum {

/// The log file, in the working directory, appended to at every close.
inline constexpr char kLogFileName[] = "LUM.LOG";

/// What one run adds to the log: after an existing log one empty line (ending its last line
/// first if it lacks a line end), then the lines of this run; every line ended by CR LF.
std::string LogAddition(AppendPoint end, const std::vector<std::string>& runLines);

/// Appends the run's lines to LUM.LOG in `directory`, in place and flushed to the disk, so the
/// cost is that of the run's lines and the old log is never rewritten.
/// Throws std::runtime_error (with the reason) when the log cannot be written; the old log
/// then stays as it was.
void AppendRunToLog(const std::string& directory, const std::vector<std::string>& runLines);

}  // namespace lum
