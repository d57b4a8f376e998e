#include "gateway/PortWatch.h"

#include <stdexcept>

#include "base/TextEncoding.h"
#include "data/Backups.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"

namespace lum::gateway {

ControllerIdentity IdentityOf(const TDEVICE_CONFIG& read) {
  const int row = LookupProductID(read.Config.ProductID());
  const std::string product = row >= 0 ? DeviceTypes()[static_cast<size_t>(row)].DefaultName : "";
  // Installers know a controller by the model text it holds; the product's name says what kind it is.
  const std::string model = DecodeText(read.Model, TextEncoding::Gbk);
  return {FormatSerial(read.SerialNumber), model.empty() ? product : model,
          FormatFirmware(read.FirmwareVersion, read.FirmwareBuild), product};
}

PortWatch::PortWatch(int n, const PortMap& ports, const GatewayLog& log)
    : n_(n), name_(ComName(n)), path_(ports.PathOf(n).value_or("")), observer_(name_, log) {
  if (path_.empty()) throw std::invalid_argument(name_ + ": no such port");
  session_ = DeviceSession::OnPort(name_, path_, observer_);
  session_->SetPorts(ports.Only(n));
}

PortRead PortWatch::Read(const std::string& dataFolder) {
  CloseMonitor();
  session_->Scan();
  session_->WaitIdle();
  const EntryStore::List& entries = session_->Entries().DeviceEntries();
  const BackupReport backups = BackUpReadEntries(dataFolder, entries);
  for (const std::string& line : backups.lines) observer_.InfoLine(line);
  PortRead read;
  read.backedUp = !backups.failed;
  for (const auto& entry : entries)
    if (entry->FromDevice && !entry->ReadIncomplete) read.controllers.push_back(*entry);
  return read;
}

bool PortWatch::OpenMonitor() {
  if (session_->MonitorOpen()) return true;
  session_->OpenMonitor(path_);
  session_->WaitIdle();
  return session_->MonitorOpen();
}

void PortWatch::CloseMonitor() {
  if (!session_->MonitorOpen()) return;
  session_->CloseMonitor();
  session_->WaitIdle();
}

void PortWatch::StartPoll(uint8_t busAddress) {
  observer_.FinishPoll();  // values heard outside a poll belong to none
  session_->Poll(true, {}, busAddress);
}

std::optional<PollSample> PortWatch::FinishPoll() {
  session_->WaitIdle();
  return observer_.FinishPoll();
}

WriteResult PortWatch::Write(const TCONFIG_BLOCK& block, uint8_t busAddress) {
  CloseMonitor();
  EntryStore& entries = session_->Entries();
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = name_;
  entry->Config = block;
  entry->Port = n_;
  entry->BusAddress = busAddress;
  entries.SetCurrentEntry(&entries.AddFileEntry(std::move(entry)));
  std::optional<WriteResult> result;
  session_->Write([&result](WriteResult written) { result = written; });
  session_->WaitIdle();
  return result.value_or(WriteResult::VerifyFailed);
}

}  // namespace lum::gateway
