#include "cli/HelpFormatter.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

namespace lum::cli {

namespace {

// The option library's names of the types it reads, and of the checks it adds after a colon.
constexpr std::string_view kLibraryTypes[] = {"TEXT", "INT", "UINT", "FLOAT", "BOOLEAN", "ENUM", "PATH"};
constexpr std::string_view kFileCheck = "FILE";
constexpr std::string_view kDirectoryCheck = "DIR";
constexpr std::string_view kNumberTypes[] = {"INT", "UINT", "NONNEGATIVE", "POSITIVE"};

bool Names(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::string OptionList(const std::set<CLI::Option*>& options) {
  std::string names;
  for (const CLI::Option* option : options) names += (names.empty() ? "" : ", ") + option->get_name();
  return names;
}

}  // namespace

std::string ValueName(const CLI::Option& option) {
  const std::string full = option.get_type_name();
  const std::string_view type = std::string_view(full).substr(0, full.find(':'));
  if (Names(full, kFileCheck)) return std::string(kFileCheck);
  if (Names(full, kDirectoryCheck)) return std::string(kDirectoryCheck);
  for (const std::string_view number : kNumberTypes)
    if (Names(full, number)) return "N";
  if (!type.empty() && std::find(std::begin(kLibraryTypes), std::end(kLibraryTypes), type) == std::end(kLibraryTypes))
    return std::string(type);  // a name the command chose
  if (option.get_lnames().empty()) return Upper(option.get_name());
  return Upper(option.get_lnames().front());
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
  if (option->get_positional() && !option->nonpositional()) return "";
  if (option->get_type_size() == 0 || option->get_type_name().empty()) return "";  // a flag
  std::string opts = " " + ValueName(*option);
  if (option->get_expected_max() > 1) opts += " ...";
  return opts;
}

std::string HelpFormatter::make_option_desc(const CLI::Option* option) const {
  std::string desc = option->get_description();
  const auto remark = [&desc](const std::string& text) { desc += (desc.empty() ? "(" : " (") + text + ")"; };
  if (!option->get_default_str().empty()) remark("default: " + option->get_default_str());
  if (option->get_required() && option->nonpositional()) remark("required");
  if (!option->get_needs().empty()) remark("needs " + OptionList(option->get_needs()));
  if (!option->get_excludes().empty()) remark("not with " + OptionList(option->get_excludes()));
  return desc;
}

}  // namespace lum::cli
