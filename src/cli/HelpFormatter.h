#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace lum::cli {

/// lumctl's help for people: an option's value is named by what it is (FILE, DIR, N, or the
/// option's own name: --db DB), and what the option library would print as its internals
/// (TEXT:FILE, INT:NONNEGATIVE, REQUIRED, Excludes:) is said in words after the description:
/// "(required)", "(not with --csv)".
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override;
  std::string make_option_desc(const CLI::Option* option) const override;
};

/// The name of an option's value as the help shows it ("FILE", "N", "DB").
std::string ValueName(const CLI::Option& option);

}  // namespace lum::cli
