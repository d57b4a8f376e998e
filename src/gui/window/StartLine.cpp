#include "StartLine.h"

#include <algorithm>

#include "base/SafeFormat.h"

namespace lum {

namespace {
constexpr char kStartFormat[] = "%s %s Started at %s %s";
constexpr size_t kRuleLength = 16;

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}
}  // namespace

std::string ApplicationTitle(const std::string& executablePath) {
  std::string title = BaseName(executablePath);
  if (title.empty()) return title;
  // Executables without an extension are usually named in lower case; the title still reads
  // "Lum". Only ASCII letters change case, so UTF-8 sequences stay intact.
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  std::transform(title.begin() + 1, title.end(), title.begin() + 1, lower);
  title.front() = upper(title.front());
  return title;
}

std::string StartLine(const std::string& title, const std::string& stamp) {
  const std::string rule(kRuleLength, '=');
  return FormatText(kStartFormat, {rule, title, stamp, rule});
}

}  // namespace lum
