#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "VersionInfo.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/HelpFormatter.h"

namespace lum::cli {
std::vector<CommandSetup>& RegisteredCommands() {
  static std::vector<CommandSetup> commands;
  return commands;
}
}  // namespace lum::cli

int main(int argc, char** argv) {
  try {
    CLI::App app{
        "lumctl: Lumaris Workbench from a terminal. Reads LUM.INI in the working directory, or in "
        "$XDG_CONFIG_HOME/lum when the working directory holds none."};
    app.require_subcommand(1);
    // Options of the program (--bus, --lang) are taken after the command's name too.
    app.fallthrough();
    // Before the commands are added: each takes the formatter of the application.
    app.formatter(std::make_shared<lum::cli::HelpFormatter>());
    app.set_version_flag("--version", std::string("lumctl ") + lum::version::kFileVersion);
    // Taken as soon as it is parsed, so that the command's callback already speaks that language.
    app.add_option_function<std::string>(
           "--lang", [](const std::string& path) { lum::cli::CliContext::UseLanguageFile(path); },
           "Language file (.lng) for the texts, instead of LUM.INI's choice or the locale's")
        ->check(CLI::ExistingFile)
        ->trigger_on_parse();
    app.add_option_function<std::vector<std::string>>(
           "--bus",
           [](const std::vector<std::string>& choices) {
             try {
               for (const std::string& choice : choices) lum::cli::CliContext::UseBus(choice);
             } catch (const std::invalid_argument& e) {
               throw CLI::ValidationError("--bus", e.what());
             }
           },
           "A port that is a bus and the addresses to look at (COM3:1-32, COM3:1,3,7-9); repeatable")
        ->type_name("PORT:ADDRESSES")
        ->trigger_on_parse();
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
