// lumctl ports: the ports COM1..COM16 that can be opened now, with their device paths and what
// the system knows of each device; with --all also those that cannot be opened, and why.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
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

// For scripts: one object per port and line; "reason" only for a port that cannot be opened.
std::string JsonLine(const PortProbe& port) {
  nlohmann::ordered_json line;
  line["port"] = port.name;
  line["path"] = port.path;
  line["opens"] = port.error == 0;
  if (port.error != 0) line["reason"] = PortOpenReason(port.path, port.error);
  line["description"] = DeviceDescription(port.path);
  line["stable_names"] = StableNames(port.path);
  return line.dump();
}

void ListPorts(bool all, bool asJson) {
  bool anyOpens = false;
  std::string refused;
  for (const PortProbe& port : CliContext().Ports().ProbeComPorts()) {
    anyOpens = anyOpens || port.error == 0;
    if (asJson) {
      if (all || port.error == 0) std::cout << JsonLine(port) << '\n';
      continue;
    }
    if (port.error != 0) {
      refused +=
          port.name + '\t' + port.path + '\t' + "cannot be opened: " + PortOpenReason(port.path, port.error) + '\n';
      continue;
    }
    const std::string about = About(port.path);
    std::cout << port.name << '\t' << port.path << (about.empty() ? "" : "\t" + about) << '\n';
  }
  if (all) std::cout << refused;
  std::cout.flush();
  if (anyOpens) return;
  std::cerr << "No port can be opened.\n" << (all ? "" : refused) << std::flush;
  throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("ports", "List the ports COM1..COM16 that can be opened now (LUM.INI [Ports])");
  auto all = std::make_shared<bool>(false);
  auto asJson = std::make_shared<bool>(false);
  command->add_flag("--all", *all, "Also list the ports that cannot be opened, with the reason");
  command->add_flag("--json", *asJson,
                    "One JSON object per port and line (port, path, opens, reason, description, stable_names)");
  command->callback([all, asJson] { ListPorts(*all, *asJson); });
});

}  // namespace

}  // namespace lum::cli
