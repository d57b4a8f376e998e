// lumctl scan: find and read the controllers on COM1..COM16, optionally saving each one read.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "cli/CliSession.h"
#include "cli/Command.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"
#include "language/DeviceText.h"
#include "language/MessageSlots.h"
#include "link/PortNames.h"

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

// What identifies each controller read: for people a line after the scan's own lines, for
// scripts one JSON object per line. The model is the controller's own text: any bytes.
void PrintIdentities(const CliSession& session, bool asJson) {
  for (const auto& entry : session.device.Entries().DeviceEntries()) {
    if (!entry->FromDevice) continue;
    const int row = LookupProductID(entry->Config.ProductID());
    const std::string type = session.context.DeviceTypeName(row);
    const std::string serial = FormatSerial(entry->SerialNumber);
    const std::string firmware = FormatFirmware(entry->FirmwareVersion, entry->FirmwareBuild);
    if (!asJson) {
      std::cout << TerminalText(fmt::format("{}: model {}, serial number {}, firmware {}", entry->Name, entry->Model,
                                            serial, firmware))
                << std::endl;
      continue;
    }
    nlohmann::ordered_json line;
    // On a bus the port alone does not tell the controller: its address goes beside it.
    line["port"] = entry->BusAddress != 0 ? ComName(entry->Port) : entry->Name;
    if (entry->BusAddress != 0) line["address"] = entry->BusAddress;
    PutDeviceText(line, "model", entry->Model);
    line["serial_number"] = serial;
    line["firmware"] = firmware;
    line["product_id"] = entry->Config.ProductID();
    line["device_type"] = type;
    std::cout << line.dump() << std::endl;
  }
}

void Scan(const std::string& saveDirectory, bool asJson) {
  CliSession session;
  // For scripts stdout holds only the JSON lines; the scan's own lines go to stderr.
  if (asJson) session.observer.SendInfoTo(std::cerr);
  bool found = false;
  session.device.Scan([&found](bool read) { found = read; });
  session.device.WaitIdle();
  const BackupReport backups = BackUpReadEntries(session.context.DataDir(), session.device.Entries().DeviceEntries());
  for (const std::string& line : backups.lines) session.observer.InfoLine(line);
  PrintIdentities(session, asJson);
  if (!found) {
    const auto& devices = session.device.Entries().DeviceEntries();
    const bool anyAnswered =
        std::any_of(devices.begin(), devices.end(), [](const auto& entry) { return entry->ReadIncomplete; });
    std::cerr << (anyAnswered ? "No controller was read completely." : "No controller found.") << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  if (!saveDirectory.empty()) {
    try {
      SaveEntries(session, saveDirectory);
    } catch (const std::exception& e) {
      std::cerr << e.what() << std::endl;
      throw CLI::RuntimeError(kExitBadInput);
    }
  }
  // What was read is kept nowhere: the scan did not do all it says it does.
  if (backups.failed) throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("scan", "Find the controllers on COM1..COM16 and read each one's configuration");
  auto directory = std::make_shared<std::string>();
  auto asJson = std::make_shared<bool>(false);
  command->add_option("--save", *directory, "Save each controller read as DIR/COMn.LUM")->type_name("DIR");
  command->add_flag(
      "--json", *asJson,
      "One JSON object per controller read on stdout (port, model and its bytes in hex, serial number, firmware); the "
      "scan's lines go to stderr");
  command->callback([directory, asJson] { Scan(*directory, *asJson); });
});

}  // namespace

}  // namespace lum::cli
