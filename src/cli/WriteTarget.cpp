#include "cli/WriteTarget.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <stdexcept>

#include "cli/Command.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "device/WriteChanges.h"

namespace lum::cli {

const TDEVICE_CONFIG* ReadAndBackUp(CliSession& session, DeviceSession& device, uint32_t productId) {
  device.Scan();
  device.WaitIdle();
  const EntryStore::List& entries = device.Entries().DeviceEntries();
  const BackupReport backups = BackUpReadEntries(session.context.DataDir(), entries);
  for (const std::string& line : backups.lines) session.observer.InfoLine(line);
  // Nothing goes on (above all no write) once a configuration read could not be kept.
  if (backups.failed) {
    std::cerr << "Stopped: the configuration read could not be backed up." << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  for (const auto& entry : entries)
    if (entry->FromDevice && !entry->ReadIncomplete && (productId == 0 || entry->Config.ProductID() == productId))
      return entry.get();
  return nullptr;
}

std::optional<TCONFIG_BLOCK> ReadWriteTarget(CliSession& session, uint32_t productId) {
  const TDEVICE_CONFIG* target = ReadAndBackUp(session, session.device, productId);
  if (target == nullptr) return std::nullopt;
  return target->Config;
}

std::optional<TCONFIG_BLOCK> ReadPortConfig(CliSession& session, const std::string& comName, const std::string& path) {
  auto device = DeviceSession::OnPort(comName, path, session.observer);
  device->SetMessages(session.context.Messages());
  const TDEVICE_CONFIG* read = ReadAndBackUp(session, *device, 0);
  if (read == nullptr) return std::nullopt;
  return read->Config;
}

TCONFIG_BLOCK OpenConfigOrExit(const std::string& path) {
  ConfigFileResult file;
  try {
    file = OpenConfigFile(path);
  } catch (const std::runtime_error& e) {
    std::cerr << e.what() << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (file.status != ConfigFileStatus::Ok) {
    std::cerr << OpenFailureLine(file.status, path) << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  return file.block;
}

void PrintChanges(const TCONFIG_BLOCK& target, const TCONFIG_BLOCK& source) {
  for (const std::string& line : ChangeLines(WriteChanges(target, source))) std::cout << line << '\n';
  std::cout.flush();
}

}  // namespace lum::cli
