#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/Command.h"

namespace lum::cli {
std::vector<CommandSetup>& RegisteredCommands() {
  static std::vector<CommandSetup> commands;
  return commands;
}
}  // namespace lum::cli

int main(int argc, char** argv) {
  try {
    CLI::App app{"lumctl: Lumaris Workbench from a terminal. Reads LUM.INI in the working directory."};
    app.require_subcommand(1);
    for (const auto& setup : lum::cli::RegisteredCommands()) setup(app);
    try {
      app.parse(argc, argv);
    } catch (const CLI::RuntimeError& e) {
      // A command's own status (CLI::RuntimeError(status) thrown from its callback).
      return e.get_exit_code();
    } catch (const CLI::ParseError& e) {
      const int status = app.exit(e);
      return status == 0 ? lum::cli::kExitOk : lum::cli::kExitBadInput;
    }
    return lum::cli::kExitOk;
  } catch (const std::exception& e) {
    // Whatever a command did not handle ends the program with a message, never an abort.
    std::cerr << "lumctl: " << e.what() << '\n';
    return lum::cli::kExitFailed;
  }
}
