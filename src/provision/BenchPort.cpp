#include "provision/BenchPort.h"

#include <fmt/format.h>

#include <chrono>
#include <thread>

#include "base/TimeStamp.h"
#include "data/NumberFormats.h"
#include "provision/UnitChecks.h"

namespace lum {

namespace {
using store::CommissioningRecord;
using store::Outcome;

// Progress through one unit's steps.
constexpr int kUpgradeProgress = 5;
constexpr int kReadProgress = 15;
constexpr int kWriteProgress = 35;
constexpr int kVerifyProgress = 70;
constexpr int kDoneProgress = 100;
// An unplugged unit must miss this many looks in a row: one lost reply is not a removal.
constexpr int kAbsentLooks = 2;
// The write's own lines that name a field the unit does not hold follow its "Failure".
constexpr const char* kFailureLine = "Failure";

store::Blob BlockBytes(const TCONFIG_BLOCK& block) { return store::Blob(block.bytes().begin(), block.bytes().end()); }

// A database's message may run over several lines; a result is one.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}
}  // namespace

// The session's lines of the current step; the bench shows results, not the panel.
class BenchPort::Lines : public LinkObserver {
 public:
  void InfoLine(const std::string& line) override { lines_.push_back(line); }
  void TraceLine(const std::string&) override {}
  void Clear() { lines_.clear(); }
  // The lines after "Failure": the write names there each field the unit does not hold.
  std::vector<std::string> AfterFailure() const {
    std::vector<std::string> after;
    bool failed = false;
    for (const std::string& line : lines_) {
      if (failed && line != "\r") after.push_back(line);
      failed = failed || line == kFailureLine;
    }
    return after;
  }

 private:
  std::vector<std::string> lines_;
};

// The loader dialogue's lines; the last one tells where an upgrade stopped.
class BenchPort::UpgradeLines : public UpgradeMemo {
 public:
  void SetText(const std::string& text) override { last_ = text; }
  void AddLine(const std::string& text) override { last_ = text; }
  void EndLine(const std::string& text) override { last_ += text; }
  void SetFileName(const std::string&) override {}
  void SetFirmwareVersion(const std::string&) override {}
  void SetDescription(const std::string&) override {}
  void SetProgress(int) override {}
  const std::string& Last() const { return last_; }

 private:
  std::string last_;
};

BenchPort::BenchPort(std::string comName, const std::string& path, Shared shared)
    : comName_(std::move(comName)),
      path_(path),
      shared_(std::move(shared)),
      lines_(std::make_unique<Lines>()),
      upgradeLines_(std::make_unique<UpgradeLines>()),
      session_(DeviceSession::OnPort(comName_, path, *lines_)) {
  state_.port = comName_;
}

BenchPort::~BenchPort() = default;

void BenchPort::Report(PortPhase phase, int progress) {
  state_.phase = phase;
  state_.progress = progress;
  shared_.observer.PortChanged(state_);
}

void BenchPort::Pause() { std::this_thread::sleep_for(shared_.settings.presencePoll); }

const TDEVICE_CONFIG* BenchPort::ReadUnit() {
  bool found = false;
  lines_->Clear();
  session_->Scan([&](bool read) { found = read; });
  session_->WaitIdle();
  const auto& devices = session_->Entries().DeviceEntries();
  if (!found || devices.empty() || !devices.front()->FromDevice) return nullptr;
  return devices.front().get();
}

void BenchPort::Run() {
  Report(PortPhase::Waiting, 0);
  while (!shared_.stopping) {
    try {
      Serve();
    } catch (const std::exception& e) {
      shared_.faulted({comName_, std::nullopt, OneLine(e.what())});
      return;
    } catch (...) {
      shared_.faulted({comName_, std::nullopt, "an unknown error"});
      return;
    }
  }
}

void BenchPort::Serve() {
  const TDEVICE_CONFIG* unit = ReadUnit();
  if (!unit) {
    Pause();
    return;
  }
  const TDEVICE_CONFIG before = *unit;
  const CommissioningRecord record = Attempt(before);
  Keep(record);
  if (record.result == Outcome::Interrupted) {
    Report(PortPhase::Waiting, 0);  // it is gone already; when it returns it is written again
    return;
  }
  Report(PortPhase::Unplug, kDoneProgress);
  WaitUntilUnplugged(record.serialNumber);
  if (!shared_.stopping) Report(PortPhase::Waiting, 0);
}

void BenchPort::Keep(const CommissioningRecord& record) {
  state_.result = record.result;
  state_.reason = record.reason;
  state_.recordError.clear();
  try {
    shared_.records.Add(record);
  } catch (const std::exception& e) {
    state_.recordError = OneLine(e.what());
  }
  if (state_.recordError.empty())
    shared_.observer.Recorded(record);
  else
    shared_.faulted({comName_, record, state_.recordError});
  if (shared_.counted) shared_.counted(record);
}

CommissioningRecord BenchPort::Attempt(const TDEVICE_CONFIG& before) {
  const auto started = std::chrono::steady_clock::now();
  const BenchSettings& settings = shared_.settings;
  CommissioningRecord record;
  record.attemptId = store::NewAttemptId();
  record.timeUtc = UtcStamp();
  record.bench = settings.bench;
  record.operatorName = settings.operatorName;
  record.port = comName_;
  record.job = shared_.job.name;
  record.model = before.Model;
  record.serialNumber = before.SerialNumber;
  record.firmwareVersion = before.FirmwareVersion;
  record.firmwareBuild = before.FirmwareBuild;
  record.batchCode = before.BatchCode;
  record.productCode = before.Config.ProductID();
  record.before = BlockBytes(before.Config);
  state_.unit = fmt::format("{} {}", before.Model, FormatSerial(before.SerialNumber));
  state_.result.reset();
  state_.reason.clear();
  Report(PortPhase::Reading, kReadProgress);

  try {
    Steps(before, record);
  } catch (const std::exception& e) {
    record.result = Outcome::Failed;
    record.reason = "stopped by an error: " + OneLine(e.what());
  }
  record.durationMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
  return record;
}

void BenchPort::Steps(const TDEVICE_CONFIG& before, CommissioningRecord& record) {
  std::optional<TDEVICE_CONFIG> unit = before;
  std::string upgraded;
  if (NeedsUpgrade(shared_.job, before)) {
    unit = Upgrade(before, record);
    if (unit) upgraded = "upgraded from " + FormatFirmware(before.FirmwareVersion, before.FirmwareBuild);
  }
  if (unit) Provision(*unit, record);  // otherwise the upgrade has told how it ended
  if (!upgraded.empty()) record.reason = upgraded + (record.reason.empty() ? "" : "; " + record.reason);
}

void BenchPort::WriteAndVerify(const TCONFIG_BLOCK& target, const TDEVICE_CONFIG& before, CommissioningRecord& record) {
  Report(PortPhase::Writing, kWriteProgress);
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = shared_.job.configPath;
  entry->SerialNumber = before.SerialNumber;
  entry->Config = target;
  EntryStore& entries = session_->Entries();
  entries.SetCurrentEntry(&entries.AddFileEntry(std::move(entry)));
  WriteResult written = WriteResult::Busy;
  lines_->Clear();
  session_->Write([&](WriteResult result) { written = result; });
  session_->WaitIdle();
  const std::vector<std::string> notHeld = lines_->AfterFailure();

  Report(PortPhase::Verifying, kVerifyProgress);
  const TDEVICE_CONFIG* after = ReadUnit();
  if (!after || written == WriteResult::NoMatchingController) {
    // Gone during the write or right after it: whatever it holds now is not known.
    record.result = Outcome::Interrupted;
    record.reason = "the unit stopped answering while it was written";
    if (after) record.after = BlockBytes(after->Config);
    return;
  }
  record.after = BlockBytes(after->Config);
  if (after->SerialNumber != before.SerialNumber) {
    record.result = Outcome::Interrupted;
    record.reason = "another unit answered after the write (serial " + FormatSerial(after->SerialNumber) + ")";
    return;
  }
  const std::vector<std::string> mismatches = ReadBackMismatches(target, after->Config);
  if (written == WriteResult::Verified && mismatches.empty()) {
    record.result = Outcome::Done;
    return;
  }
  record.result = Outcome::Failed;
  record.reason = Join(mismatches.empty() ? notHeld : mismatches);
  if (record.reason.empty()) record.reason = "the write was not verified";
}

void BenchPort::Provision(const TDEVICE_CONFIG& unit, CommissioningRecord& record) {
  if (const auto refusal = RefusalReason(shared_.job, unit)) {
    record.result = Outcome::Refused;
    record.reason = *refusal;
    return;
  }
  const TCONFIG_BLOCK target = shared_.job.BlockFor(unit.SerialNumber, unit.Config);
  record.configHash = ConfigHash(target);
  // Told by the unit itself, not by earlier records: a replaced board or a factory reset keeps
  // its serial number but not its values.
  if (!shared_.settings.force && ReadBackMismatches(target, unit.Config).empty()) {
    record.result = Outcome::AlreadyDone;
    return;
  }
  WriteAndVerify(target, unit, record);
}

std::optional<TDEVICE_CONFIG> BenchPort::Upgrade(const TDEVICE_CONFIG& before, CommissioningRecord& record) {
  Report(PortPhase::Upgrading, kUpgradeProgress);
  bool completed = false;
  session_->Upgrade(comName_, path_, *shared_.job.upgrade, *upgradeLines_, [&](bool done) { completed = done; });
  session_->WaitIdle();
  if (!completed) {
    record.result = Outcome::Failed;
    record.reason = "the upgrade did not complete (" + upgradeLines_->Last() + ")";
    return std::nullopt;
  }
  Report(PortPhase::Reading, kReadProgress);
  const TDEVICE_CONFIG* after = ReadUnit();
  if (!after || after->SerialNumber != before.SerialNumber) {
    record.result = Outcome::Interrupted;
    record.reason = "the unit did not answer after its upgrade";
    return std::nullopt;
  }
  record.firmwareVersion = after->FirmwareVersion;
  record.firmwareBuild = after->FirmwareBuild;
  return *after;
}

void BenchPort::WaitUntilUnplugged(uint32_t serialNumber) {
  int absent = 0;
  while (!shared_.stopping && absent < kAbsentLooks) {
    const TDEVICE_CONFIG* unit = ReadUnit();
    if (unit && unit->SerialNumber != serialNumber) return;  // swapped faster than we looked
    absent = unit ? 0 : absent + 1;
    if (absent == 0) Pause();
  }
}

}  // namespace lum
