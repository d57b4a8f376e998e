// lumctl ports: the ports COM1..COM16 that can be opened now, with their device paths.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/Command.h"

namespace lum::cli {

namespace {

void ListPorts() {
  for (const auto& [name, path] : CliContext().Ports().ListComPorts()) std::cout << name << '\t' << path << '\n';
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("ports", "List the ports COM1..COM16 that can be opened now (LUM.INI [Ports])");
  command->callback(ListPorts);
});

}  // namespace

}  // namespace lum::cli
