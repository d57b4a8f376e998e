// lumctl backups: the configurations kept from every controller read, and their pruning.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "data/Backups.h"

namespace lum::cli {

namespace {

struct Options {
  std::string serial;
  size_t keep = 0;
  bool json = false;
};

std::optional<std::string> SerialFilter(const Options& options) {
  return options.serial.empty() ? std::nullopt : std::optional<std::string>(options.serial);
}

void List(const Options& options) {
  const CliContext context;
  for (const BackupFile& file : ListBackups(context.DataDir(), SerialFilter(options))) {
    if (!options.json) {
      fmt::print("{}\t{}\t{}\n", FormatBackupTime(file.time), file.serial, file.path);
      continue;
    }
    // For scripts: one object per backup and line.
    nlohmann::ordered_json line;
    line["time"] = FormatBackupTime(file.time);
    line["serial_number"] = file.serial;
    line["path"] = file.path;
    fmt::print("{}\n", line.dump());
  }
}

void Prune(const Options& options) {
  const CliContext context;
  try {
    for (const BackupFile& file : PruneBackups(context.DataDir(), options.keep, SerialFilter(options)))
      fmt::print("Removed {}\n", file.path);
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto options = std::make_shared<Options>();
  auto* command = app.add_subcommand(
      "backups", "List the configurations kept from every controller read (backups/<serial>/<UTC time>.LUM)");
  command->add_option("--serial", options->serial, "Only this controller's (serial number as shown, e.g. 0A00000066)");
  command->add_flag("--json", options->json, "One JSON object per backup and line (time, serial_number, path)");
  auto* prune = command->add_subcommand("prune", "Remove old backups, keeping the newest of each controller");
  prune->add_option("--keep", options->keep, "How many of each controller's newest backups to keep")->required();
  prune->add_option("--serial", options->serial, "Only this controller's");
  prune->callback([options] { Prune(*options); });
  command->callback([command, options] {
    if (command->get_subcommands().empty()) List(*options);
  });
});

}  // namespace

}  // namespace lum::cli
