#include "base/TimeStamp.h"

#include <ctime>

#include <fmt/format.h>

namespace lum {

std::string FormatStamp(std::chrono::system_clock::time_point when) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  return fmt::format("{:04d}-{:02d}-{:02d} {:02d}:{:02d}:{:02d}.{:03d}", local.tm_year + 1900, local.tm_mon + 1,
                     local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
}

std::string NowStamp() { return FormatStamp(std::chrono::system_clock::now()); }

}  // namespace lum
