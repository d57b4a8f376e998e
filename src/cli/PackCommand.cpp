// lumctl pack: a configuration file from the JSON that show --json prints.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/JsonDocument.h"
#include "cli/RangeWarnings.h"
#include "data/ConfigFile.h"
#include "data/ConfigJson.h"
#include "language/MessageSlots.h"

namespace lum::cli {

namespace {

[[noreturn]] void BadInput(const std::string& message) {
  std::cerr << message << '\n';
  throw CLI::RuntimeError(kExitBadInput);
}

void Pack(const std::string& jsonPath, const std::string& outPath) {
  TCONFIG_BLOCK block;
  try {
    block = BlockFromJson(ReadJsonFile(jsonPath));
  } catch (const JsonDocumentError& e) {
    BadInput(jsonPath + ": " + e.what());
  } catch (const ConfigJsonError& e) {
    BadInput(jsonPath + ": " + e.what());
  } catch (const std::runtime_error& e) {
    BadInput(e.what());
  }
  WarnOfValuesOutOfRange(CliContext(), block);
  try {
    SaveConfigFile(outPath, block);
  } catch (const std::runtime_error& e) {
    BadInput(e.what());
  }
  std::cout << SavedLine(CliContext().Messages().Text(msg::kFileSaved), outPath) << '\n';
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("pack", "Write a configuration file (.LUM) from JSON as show --json prints it");
  auto jsonPath = std::make_shared<std::string>();
  auto outPath = std::make_shared<std::string>();
  command->add_option("json", *jsonPath, "JSON description of the block")->required();
  command->add_option("out", *outPath, "Configuration file to write")->required();
  command->callback([jsonPath, outPath] { Pack(*jsonPath, *outPath); });
});

}  // namespace

}  // namespace lum::cli
