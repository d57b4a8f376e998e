// lumctl diff: what writing one configuration would change on a controller holding another.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cli/Command.h"
#include "cli/WriteTarget.h"

namespace lum::cli {

namespace {

void Diff(const std::string& from, const std::string& to) {
  CliSession session;
  TCONFIG_BLOCK target;
  const bool isPort = from.starts_with("COM") && !std::filesystem::exists(from);
  if (isPort) {
    const auto port = session.context.Ports().Resolve(from);
    if (!port) {
      std::cerr << from << ": no such port (see LUM.INI [Ports] and lumctl ports)" << std::endl;
      throw CLI::RuntimeError(kExitBadInput);
    }
    const auto read = ReadPortConfig(session, from, *port);
    if (!read) {
      std::cerr << from << ": no controller was read completely" << std::endl;
      throw CLI::RuntimeError(kExitFailed);
    }
    target = *read;
  } else {
    target = OpenConfigOrExit(from);
  }
  const TCONFIG_BLOCK source = OpenConfigOrExit(to);
  if (target.ProductID() != source.ProductID())
    std::cout << "Different products: a write of " << to << " would not go to this controller." << std::endl;
  PrintChanges(target, source);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand(
      "diff", "What writing configuration B would change on a controller holding A; nothing is written");
  auto from = std::make_shared<std::string>();
  auto to = std::make_shared<std::string>();
  command->add_option("A", *from, "Configuration file (.LUM), or COMn of LUM.INI to read the controller there")
      ->required();
  command->add_option("B", *to, "Configuration file (.LUM) that would be written")->required();
  command->callback([from, to] { Diff(*from, *to); });
});

}  // namespace

}  // namespace lum::cli
