#pragma once

#include <chrono>
#include <string>

namespace lum {

/// Local time as "yyyy-mm-dd hh:mm:ss.zzz".
std::string NowStamp();
std::string FormatStamp(std::chrono::system_clock::time_point when);

}  // namespace lum
