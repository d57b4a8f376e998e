#include "LumLog.h"

#include <filesystem>

namespace lum {

namespace {
constexpr char kLineEnd[] = "\r\n";
}  // namespace

std::string LogAddition(AppendPoint end, const std::vector<std::string>& runLines) {
  std::string out;
  if (end.existed) {
    if (!end.atLineStart) out += kLineEnd;
    out += kLineEnd;
  }
  for (const std::string& line : runLines) out += line + kLineEnd;
  return out;
}

void AppendRunToLog(const std::string& directory, const std::vector<std::string>& runLines) {
  const std::string path = (std::filesystem::path(directory) / kLogFileName).string();
  AppendToFile(path, [&](AppendPoint end) { return LogAddition(end, runLines); });
}

}  // namespace lum
