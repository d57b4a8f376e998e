// lumctl write: open a configuration file as the window does and write it into the first
// controller of its product, with verification.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli/CliSession.h"
#include "cli/Command.h"
#include "cli/WriteTarget.h"
#include "data/ConfigFile.h"
#include "link/PortNames.h"

namespace lum::cli {

namespace {

std::optional<int> PortNumber(const std::string& port) {
  if (port.empty()) return std::nullopt;
  const auto n = ComNumber(port);
  if (!n) {
    std::cerr << port << ": --port takes a port name COM1..COM16" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  return n;
}

// The controller the write would go to is read (and backed up); nothing is written.
void DryRun(CliSession& session, const TCONFIG_BLOCK& source) {
  const auto target = ReadWriteTarget(session, source.ProductID());
  if (!target) {
    std::cerr << "No controller of this product found." << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  PrintChanges(*target, source);
}

void Write(const std::string& path, const std::string& port, unsigned address, bool dryRun) {
  const std::optional<int> portNumber = PortNumber(port);
  if (address != 0 && (!portNumber || dryRun)) {
    std::cerr << "--address names a controller on a bus: it needs --port COMn, and no --dry-run" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  CliSession session(portNumber);
  const std::string fullPath = std::filesystem::absolute(path).string();
  session.observer.InfoLine(OpenFileLine(fullPath));
  ConfigFileResult file;
  try {
    file = OpenConfigFile(fullPath);
  } catch (const std::runtime_error& e) {
    std::cerr << e.what() << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (file.status != ConfigFileStatus::Ok) {
    session.observer.InfoLine(OpenFailureLine(file.status, fullPath));
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (dryRun) {
    DryRun(session, file.block);
    return;
  }
  EntryStore& entries = session.device.Entries();
  TDEVICE_CONFIG& entry = entries.AddFileEntry(EntryFromFile(fullPath, file.block));
  if (address != 0) {
    entry.Port = *portNumber;
    entry.BusAddress = static_cast<uint8_t>(address);
  }
  entries.SetCurrentEntry(&entry);

  std::optional<WriteResult> result;  // none when the session ended before the write did
  session.device.Write([&result](WriteResult written) { result = written; });
  session.device.WaitIdle();
  if (!result) throw CLI::RuntimeError(kExitFailed);
  switch (*result) {
    case WriteResult::Verified:
      return;
    case WriteResult::NoMatchingController:
      std::cerr << "No controller of this product found" << (port.empty() ? "" : " on " + port)
                << (address != 0 ? " #" + std::to_string(address) : "") << "." << std::endl;
      break;
    case WriteResult::NoConfig:
    case WriteResult::Unwritable:
    case WriteResult::VerifyFailed:
      break;
  }
  throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand(
      "write", "Write a configuration file into the first controller of its product on COM1..COM16, and verify it");
  auto path = std::make_shared<std::string>();
  auto port = std::make_shared<std::string>();
  auto dryRun = std::make_shared<bool>(false);
  auto address = std::make_shared<unsigned>(0);
  command->add_option("file", *path, "Configuration file (.LUM)")->required();
  command->add_option("--port", *port,
                      "Write the controller on this port (COMn) only, when several of the same product are connected");
  command->add_option("--address", *address, "With --port: the controller at this address of the bus on that port")
      ->check(CLI::Range(kFirstBusAddress, kLastBusAddress));
  command->add_flag("--dry-run", *dryRun,
                    "Read the controller the write would go to and print what would change; write nothing");
  command->callback([path, port, address, dryRun] { Write(*path, *port, *address, *dryRun); });
});

}  // namespace

}  // namespace lum::cli
