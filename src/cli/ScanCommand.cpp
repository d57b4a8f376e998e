// lumctl scan: find and read the controllers on COM1..COM16, optionally saving each one read.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "cli/CliSession.h"
#include "cli/Command.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "language/MessageSlots.h"

namespace lum::cli {

namespace {

constexpr char kFileExtension[] = ".LUM";

// Saves every entry read completely from a controller as DIR/COMn.LUM.
void SaveEntries(CliSession& session, const std::string& directory) {
  std::filesystem::create_directories(directory);
  for (const auto& entry : session.device.Entries().DeviceEntries()) {
    if (!entry->FromDevice) continue;
    const std::string path = (std::filesystem::path(directory) / (entry->Name + kFileExtension)).string();
    SaveConfigFile(path, entry->Config);
    session.observer.InfoLine(SavedLine(session.context.Messages().Text(msg::kFileSaved), path));
  }
}

void Scan(const std::string& saveDirectory) {
  CliSession session;
  bool found = false;
  session.device.Scan([&found](bool read) { found = read; });
  session.device.WaitIdle();
  for (const std::string& line :
       BackUpReadEntries(session.context.Directory(), session.device.Entries().DeviceEntries()))
    session.observer.InfoLine(line);
  if (!found) {
    const auto& devices = session.device.Entries().DeviceEntries();
    const bool anyAnswered =
        std::any_of(devices.begin(), devices.end(), [](const auto& entry) { return entry->ReadIncomplete; });
    std::cerr << (anyAnswered ? "No controller was read completely." : "No controller found.") << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  if (saveDirectory.empty()) return;
  try {
    SaveEntries(session, saveDirectory);
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("scan", "Find the controllers on COM1..COM16 and read each one's configuration");
  auto directory = std::make_shared<std::string>();
  command->add_option("--save", *directory, "Save each controller read as DIR/COMn.LUM");
  command->callback([directory] { Scan(*directory); });
});

}  // namespace

}  // namespace lum::cli
