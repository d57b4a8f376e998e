// lumctl show: every field of a configuration file, for people or as JSON.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "cli/BlockText.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/RangeWarnings.h"
#include "data/ConfigFile.h"
#include "data/ConfigJson.h"

namespace lum::cli {

namespace {

void Show(const std::string& path, bool asJson, bool raw) {
  ConfigFileResult result;
  try {
    result = OpenConfigFile(path);
  } catch (const std::runtime_error& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (result.status != ConfigFileStatus::Ok) {
    std::cerr << OpenFailureLine(result.status, path) << '\n';
    throw CLI::RuntimeError(kExitBadInput);
  }
  WarnOfValuesOutOfRange(CliContext(), result.block);
  if (asJson) {
    std::cout << BlockToJson(result.block).dump(2) << '\n';
    return;
  }
  std::cout << BlockText(CliContext(), path, result.block, ConfigFields(), raw ? FieldNames::Raw : FieldNames::Window);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("show", "Print every field of a configuration file (.LUM)");
  auto path = std::make_shared<std::string>();
  auto asJson = std::make_shared<bool>(false);
  auto raw = std::make_shared<bool>(false);
  command->add_option("file", *path, "Configuration file")->required();
  command->add_flag("--json", *asJson, "Print JSON with every byte of the block (input of pack)");
  command->add_flag("--raw", *raw, "Name the fields by their internal names instead of the window's labels");
  command->callback([path, asJson, raw] { Show(*path, *asJson, *raw); });
});

}  // namespace

}  // namespace lum::cli
