#include "gateway/RemoteWrite.h"

#include <chrono>

#include "base/TextEncoding.h"
#include "base/TimeStamp.h"
#include "device/WritePlan.h"

namespace lum::gateway {

namespace {

constexpr char kJob[] = "remote change";

std::optional<TDEVICE_CONFIG> Find(const PortRead& read, uint32_t serial) {
  for (const auto& controller : read.controllers)
    if (controller.SerialNumber == serial) return controller;
  return std::nullopt;
}

const char* WriteFailure(WriteResult result) {
  switch (result) {
    case WriteResult::NoConfig:
    case WriteResult::Unwritable:
      return "the write refused the configuration: nothing was sent";
    case WriteResult::NoMatchingController:
      return "the controller was not found for the write";
    case WriteResult::VerifyFailed:
      return "the write was not verified";
    case WriteResult::Verified:
      break;
  }
  return "";
}

// Reads, backs up and writes; the read-back is left to the caller.
std::optional<WriteResult> ReadAndWrite(PortWatch& port, uint32_t serial, const TCONFIG_BLOCK& wanted,
                                        const std::string& dataFolder, ChangeOutcome& outcome) {
  const PortRead first = port.Read(dataFolder);
  outcome.before = Find(first, serial);
  if (!outcome.before) {
    outcome.reason = "the controller was not read: nothing was sent";
    return std::nullopt;
  }
  if (!first.backedUp) {
    outcome.reason = "the configuration read could not be backed up: nothing was sent";
    return std::nullopt;
  }
  outcome.changes = ChangeLines(WriteChanges(outcome.before->Config, wanted));
  return port.Write(wanted, outcome.before->BusAddress);
}

}  // namespace

ChangeOutcome ApplyChange(PortWatch& port, uint32_t serial, const TCONFIG_BLOCK& wanted,
                          const std::string& dataFolder) {
  const auto started = std::chrono::steady_clock::now();
  ChangeOutcome outcome;
  const auto written = ReadAndWrite(port, serial, wanted, dataFolder, outcome);
  if (written) {
    outcome.after = Find(port.Read(dataFolder), serial);
    if (outcome.after) outcome.differ = WriteChanges(outcome.after->Config, wanted);
    outcome.ok = *written == WriteResult::Verified && outcome.after && outcome.differ.empty();
    if (!outcome.after)
      outcome.reason = "the controller was not read back";
    else if (*written != WriteResult::Verified)
      outcome.reason = WriteFailure(*written);
    else if (!outcome.differ.empty())
      outcome.reason = "the controller does not hold every value";
  }
  outcome.durationMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
  return outcome;
}

nlohmann::ordered_json OutcomeDocument(const ChangeOutcome& outcome) {
  nlohmann::ordered_json document{{"result", outcome.ok ? kResultOk : kResultFailure}};
  if (!outcome.ok) document["reason"] = outcome.reason;
  document["changes"] = outcome.changes;
  auto differ = nlohmann::ordered_json::array();
  for (const FieldChange& change : outcome.differ)
    differ.push_back({{"field", FieldName(change.field)},
                      {"held", ChangeValueText(change.field, change.before)},
                      {"wanted", ChangeValueText(change.field, change.after)}});
  document["differ"] = differ;
  return document;
}

nlohmann::ordered_json RefusalDocument(const std::string& reason) {
  return {{"result", kResultRefused}, {"reason", reason}};
}

store::CommissioningRecord ChangeRecord(const ChangeOutcome& outcome, const std::string& bench,
                                        const std::string& port) {
  store::CommissioningRecord record;
  record.attemptId = store::NewAttemptId();
  record.timeUtc = UtcStamp();
  record.bench = bench;
  record.port = port;
  record.job = kJob;
  if (const auto& unit = outcome.before) {
    record.model = DecodeText(unit->Model, TextEncoding::Gbk);
    record.modelBytes.assign(unit->Model.begin(), unit->Model.end());
    record.serialNumber = unit->SerialNumber;
    record.firmwareVersion = unit->FirmwareVersion;
    record.firmwareBuild = unit->FirmwareBuild;
    record.batchCode = unit->BatchCode;
    record.productCode = unit->Config.ProductID();
    record.before = store::BlockBytes(unit->Config);
  }
  if (outcome.after) record.after = store::BlockBytes(outcome.after->Config);
  record.result = outcome.ok ? store::Outcome::Done : store::Outcome::Failed;
  record.reason = outcome.reason;
  record.durationMs = outcome.durationMs;
  return record;
}

}  // namespace lum::gateway
