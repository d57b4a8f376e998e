// lumctl ports: the ports COM1..COM16 that can be opened now, with their device paths and what
// the system knows of each device; with --all also those that cannot be opened, and why.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "link/PortTrouble.h"
#include "link/SerialDevices.h"

namespace lum::cli {

namespace {

// The device's description and its stable names, for the third column.
std::string About(const std::string& path) {
  std::string text = DeviceDescription(path);
  for (const std::string& name : StableNames(path)) text += (text.empty() ? "" : ", ") + name;
  return text;
}

void ListPorts(bool all) {
  bool anyOpens = false;
  std::string refused;
  for (const PortProbe& port : CliContext().Ports().ProbeComPorts()) {
    if (port.error != 0) {
      refused +=
          port.name + '\t' + port.path + '\t' + "cannot be opened: " + PortOpenReason(port.path, port.error) + '\n';
      continue;
    }
    anyOpens = true;
    const std::string about = About(port.path);
    std::cout << port.name << '\t' << port.path << (about.empty() ? "" : "\t" + about) << '\n';
  }
  if (all) std::cout << refused;
  if (anyOpens) return;
  std::cerr << "No port can be opened.\n" << (all ? "" : refused) << std::flush;
  throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("ports", "List the ports COM1..COM16 that can be opened now (LUM.INI [Ports])");
  auto all = std::make_shared<bool>(false);
  command->add_flag("--all", *all, "Also list the ports that cannot be opened, with the reason");
  command->callback([all] { ListPorts(*all); });
});

}  // namespace

}  // namespace lum::cli
