#pragma once

#include <chrono>

namespace lum::bench {

inline constexpr char kStartProbeOption[] = "--start-probe";
inline constexpr char kProbeProgram[] = "lum";
inline constexpr char kProbeBare[] = "bare";

/// One start of a window in this process, as `--start-probe KIND [DIR]` asks: "lum" starts the
/// program's windows as lum does in DIR, "bare" a plain Qt main window of like composition.
/// Prints the milliseconds from `start` to the end of the shown window's first paint, then
/// ends the process at once (tearing down is not part of a start).
int RunStartProbe(std::chrono::steady_clock::time_point start, int argc, char** argv);

}  // namespace lum::bench
