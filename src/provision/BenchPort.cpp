#include "provision/BenchPort.h"

#include <fmt/format.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "base/TextEncoding.h"
#include "base/TimeStamp.h"
#include "data/NumberFormats.h"
#include "link/PortTrouble.h"
#include "link/SerialPort.h"
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
// A unit that answered its identification but not every read is read once more: one lost
// reply does not make it unreadable.
constexpr int kReadTries = 2;
// A unit that stops answering during its write may be restarting: it is looked for this long
// before it is taken for gone.
constexpr std::chrono::milliseconds kRestartWait{10000};
// A result names at most this many fields, then how many more there are.
constexpr size_t kNamedFields = 4;

// A database's message may run over several lines; a result is one.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// One line however many fields differ: the first few by name, then how many more.
std::string FieldsReason(const std::vector<std::string>& mismatches) {
  std::string text;
  for (size_t i = 0; i < mismatches.size() && i < kNamedFields; ++i) text += (i == 0 ? "" : "; ") + mismatches[i];
  if (mismatches.size() > kNamedFields) text += fmt::format("; and {} more fields", mismatches.size() - kNamedFields);
  return text;
}

// The holder of a port that did not open, when it is held: "name (pid N)", or empty when the
// holder cannot be seen; nullopt when the port is not held.
std::optional<std::string> HeldBy(const std::string& path) {
  if (ProbePort(path) != EBUSY) return std::nullopt;
  const auto holder = FindPortHolder(path);
  return holder ? fmt::format("{} (pid {})", holder->name, holder->pid) : std::string();
}
}  // namespace

// The session's lines; the bench shows results, not the panel.
class BenchPort::Lines : public LinkObserver {
 public:
  void InfoLine(const std::string&) override {}
  void TraceLine(const std::string&) override {}
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
    : com_name_(std::move(comName)),
      path_(path),
      shared_(std::move(shared)),
      lines_(std::make_unique<Lines>()),
      upgrade_lines_(std::make_unique<UpgradeLines>()),
      session_(DeviceSession::OnPort(com_name_, path, *lines_)) {
  state_.port = com_name_;
}

BenchPort::~BenchPort() = default;

void BenchPort::Report(PortPhase phase, int progress) {
  state_.phase = phase;
  state_.progress = progress;
  shared_.observer.PortChanged(state_);
}

void BenchPort::Pause() { shared_.clock.SleepMs(static_cast<unsigned>(shared_.settings.presencePoll.count())); }

PortLook BenchPort::Look() {
  session_->Scan();
  session_->WaitIdle();
  return LookOf(session_->Entries());
}

const TDEVICE_CONFIG* BenchPort::ReadUnit() {
  const PortLook look = Look();
  return look.kind == LookKind::Read ? look.unit : nullptr;
}

void BenchPort::ShowHolder(const std::optional<std::string>& heldBy) {
  if (heldBy == state_.heldBy) return;
  state_.heldBy = heldBy;
  Report(PortPhase::Waiting, 0);
}

void BenchPort::Run() {
  Report(PortPhase::Waiting, 0);
  while (!shared_.stopping) {
    try {
      Serve();
    } catch (const std::exception& e) {
      shared_.faulted({com_name_, std::nullopt, OneLine(e.what())});
      return;
    } catch (...) {
      shared_.faulted({com_name_, std::nullopt, "an unknown error"});
      return;
    }
  }
}

void BenchPort::Serve() {
  PortLook look = Look();
  std::optional<TDEVICE_CONFIG> partial;  // of a unit identified but not read whole
  for (int tries = 1; look.kind == LookKind::Unreadable && tries < kReadTries; ++tries) {
    partial = *look.unit;
    look = Look();
  }
  ShowHolder(look.kind == LookKind::NotOpened ? HeldBy(path_) : std::nullopt);
  CommissioningRecord record;
  if (look.kind == LookKind::Read || look.kind == LookKind::UnknownProduct) {
    const TDEVICE_CONFIG unit = *look.unit;  // the session's entries change with every look
    record = look.kind == LookKind::Read ? Attempt(unit) : NotRead(LookKind::UnknownProduct, unit);
  } else if (look.kind == LookKind::Unreadable || partial) {
    record = NotRead(LookKind::Unreadable, look.kind == LookKind::Unreadable ? *look.unit : *partial);
  } else {
    Pause();
    return;
  }
  Keep(record);
  if (record.result == Outcome::Interrupted) {
    Report(PortPhase::Waiting, 0);  // it is gone already; when it returns it is written again
    return;
  }
  Report(PortPhase::Unplug, kDoneProgress);
  WaitUntilUnplugged(record.serialNumber);
  if (!shared_.stopping) Report(PortPhase::Waiting, 0);
}

CommissioningRecord BenchPort::NewRecord(const TDEVICE_CONFIG& unit) {
  const BenchSettings& settings = shared_.settings;
  CommissioningRecord record;
  record.attemptId = store::NewAttemptId();
  record.timeUtc = UtcStamp();
  record.bench = settings.bench;
  record.operatorName = settings.operatorName;
  record.port = com_name_;
  record.job = shared_.job.name;
  // The window shows the unit's texts decoded from GBK; the bytes are kept as they came.
  record.model = DecodeText(unit.Model, TextEncoding::Gbk);
  record.modelBytes.assign(unit.Model.begin(), unit.Model.end());
  record.serialNumber = unit.SerialNumber;
  record.firmwareVersion = unit.FirmwareVersion;
  record.firmwareBuild = unit.FirmwareBuild;
  record.batchCode = unit.BatchCode;
  record.productCode = unit.Config.ProductID();
  state_.unit = unit.SerialNumber != 0 ? fmt::format("{} {}", record.model, FormatSerial(unit.SerialNumber))
                                       : fmt::format("0x{:06X}", record.productCode);
  state_.result.reset();
  state_.reason.clear();
  state_.recordError.clear();
  return record;
}

CommissioningRecord BenchPort::NotRead(LookKind kind, const TDEVICE_CONFIG& unit) {
  CommissioningRecord record = NewRecord(unit);
  if (kind == LookKind::UnknownProduct) {
    record.result = Outcome::Refused;
    record.reason = fmt::format("unknown product code 0x{:06X}", record.productCode);
  } else {
    record.result = Outcome::Unreadable;
    record.reason = "it stopped answering after its identification";
  }
  return record;
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
    shared_.faulted({com_name_, record, state_.recordError});
  if (shared_.counted) shared_.counted(record);
}

CommissioningRecord BenchPort::Attempt(const TDEVICE_CONFIG& before) {
  const auto started = std::chrono::steady_clock::now();
  CommissioningRecord record = NewRecord(before);
  record.before = store::BlockBytes(before.Config);
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
  std::optional<WriteResult> written;  // none when the session ended before the write did
  session_->Write([&](WriteResult result) { written = result; });
  session_->WaitIdle();

  Report(PortPhase::Verifying, kVerifyProgress);
  bool restarted = false;
  const TDEVICE_CONFIG* after = ReadUnit();
  if (!after) {
    // It may be restarting: once it answers again, what it holds tells how the write ended.
    after = ReadAfterRestart();
    restarted = after != nullptr;
  }
  if (!after) {
    record.result = Outcome::Interrupted;
    record.reason = "the unit stopped answering while it was written";
    return;
  }
  record.after = store::BlockBytes(after->Config);
  if (after->SerialNumber != before.SerialNumber) {
    record.result = Outcome::Interrupted;
    record.reason = "another unit answered after the write (serial " + FormatSerial(after->SerialNumber) + ")";
    return;
  }
  const std::vector<std::string> mismatches = ReadBackMismatches(target, after->Config);
  const std::string restart = restarted ? "it restarted during the write" : "";
  if (mismatches.empty() && (written == WriteResult::Verified || restarted)) {
    record.result = Outcome::Done;
    record.reason = restart;
    return;
  }
  // A unit that restarted before it had every value is written again while it stays.
  record.result = restarted ? Outcome::Interrupted : Outcome::Failed;
  record.reason = mismatches.empty() ? "the write was not verified" : FieldsReason(mismatches);
  if (restarted) record.reason = restart + "; " + record.reason;
}

const TDEVICE_CONFIG* BenchPort::ReadAfterRestart() {
  const uint64_t until = shared_.clock.NowMs() + static_cast<uint64_t>(kRestartWait.count());
  while (!shared_.stopping && shared_.clock.NowMs() < until) {
    Pause();
    if (const TDEVICE_CONFIG* unit = ReadUnit()) return unit;
  }
  return nullptr;
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
  session_->Upgrade(com_name_, path_, *shared_.job.upgrade, *upgrade_lines_, [&](bool done) { completed = done; });
  session_->WaitIdle();
  if (!completed) {
    record.result = Outcome::Failed;
    record.reason = "the upgrade did not complete (" + upgrade_lines_->Last() + ")";
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
    const PortLook look = Look();
    if (look.kind == LookKind::Read && look.unit->SerialNumber != serialNumber)
      return;  // swapped faster than we looked
    // A port busy for a moment (another bench looking at it) tells nothing; a port gone with
    // its adapter is a removal.
    const bool busy = look.kind == LookKind::NotOpened && ProbePort(path_) == EBUSY;
    const bool gone = look.kind == LookKind::Empty || (look.kind == LookKind::NotOpened && !busy);
    absent = gone ? absent + 1 : 0;
    if (!gone) Pause();
  }
}

}  // namespace lum
