// lumctl's help as people read it: every command's, down to the commands of commands.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Lumctl.h"

namespace lum {
namespace {

// The commands a help text lists under "Subcommands:".
std::vector<std::string> Commands(const std::string& help) {
  std::vector<std::string> commands;
  std::istringstream lines(help);
  bool listing = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == ':' && line.front() != ' ') listing = line == "Subcommands:";
    if (listing && line.starts_with("  ") && line.size() > 2 && line[2] != ' ')
      commands.push_back(line.substr(2, line.find(' ', 2) - 2));
  }
  return commands;
}

class LumctlHelp : public Lumctl {
 protected:
  // Every command's help, depth first, keyed by the command line that shows it.
  void Collect(const std::string& command, std::vector<std::pair<std::string, std::string>>& helps) {
    const Outcome help = Run(command + " --help");
    EXPECT_EQ(help.status, 0) << command << help.err;
    helps.emplace_back(command, help.out);
    for (const std::string& sub : Commands(help.out)) Collect(command + " " + sub, helps);
  }
};

TEST_F(LumctlHelp, NamesValuesInWordsWithoutTheOptionLibrarysTypes) {
  std::vector<std::pair<std::string, std::string>> helps;
  Collect("", helps);
  ASSERT_GT(helps.size(), 10u) << helps.front().second;

  const std::regex internals(R"(\b(TEXT|INT|UINT|FLOAT|NONNEGATIVE|POSITIVE|REQUIRED)\b|Excludes:|Needs:|:FILE|:DIR)");
  for (const auto& [command, help] : helps) EXPECT_FALSE(std::regex_search(help, internals)) << command << help;

  const auto helpOf = [&helps](const std::string& command) {
    for (const auto& [name, help] : helps)
      if (name == command) return help;
    return std::string();
  };
  // The value's name says what to give; what cannot go together is said in words.
  const std::string monitor = helpOf(" monitor");
  EXPECT_TRUE(Contains(monitor, "--count N ")) << monitor;
  EXPECT_TRUE(Contains(monitor, "--db DB ")) << monitor;
  EXPECT_TRUE(Contains(monitor, "(not with --csv)")) << monitor;
  EXPECT_TRUE(Contains(monitor, "  --csv  ")) << "a flag takes no value: " << monitor;
  EXPECT_TRUE(Contains(helpOf(""), "--lang FILE ")) << helpOf("");
  EXPECT_TRUE(Contains(helpOf(" backups prune"), "keep (required)")) << helpOf(" backups prune");
}

}  // namespace
}  // namespace lum
