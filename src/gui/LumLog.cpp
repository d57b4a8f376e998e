#include "LumLog.h"

#include <filesystem>
#include <limits>

#include "base/AtomicFile.h"

namespace lum {

namespace {
constexpr char kLineEnd[] = "\r\n";

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}
}  // namespace

std::string ComposeLog(const std::optional<std::string>& oldContent, const std::vector<std::string>& runLines) {
  std::vector<std::string> lines;
  if (oldContent) {
    lines = SplitLines(*oldContent);
    lines.emplace_back();
  }
  lines.insert(lines.end(), runLines.begin(), runLines.end());
  std::string out;
  for (const std::string& line : lines) out += line + kLineEnd;
  return out;
}

void AppendRunToLog(const std::string& directory, const std::vector<std::string>& runLines) {
  const std::string path = (std::filesystem::path(directory) / kLogFileName).string();
  std::optional<std::string> old;
  std::error_code error;
  // The log only grows, so it is read without the usual size limit: cutting it would lose lines.
  if (std::filesystem::exists(path, error)) old = ReadWholeFile(path, std::numeric_limits<size_t>::max());
  WriteFileAtomically(path, ComposeLog(old, runLines));
}

}  // namespace lum
