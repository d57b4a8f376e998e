#include "store/CommissioningRecord.h"

#include <fmt/chrono.h>
#include <fmt/core.h>

#include <array>
#include <random>

namespace lum::store {

namespace {
constexpr std::array<const char*, 6> kOutcomeTexts = {"done",        "failed",       "refused",
                                                      "interrupted", "already done", "could not be read"};

constexpr const char* kTable = "commissioning";
// Column order of every SELECT and INSERT below.
constexpr const char* kColumns =
    "attempt_id, time_utc, bench, operator, port, job, config_hash, model, serial_number, firmware_version, "
    "firmware_build, batch_code, product_code, config_before, config_after, result, reason, duration_ms";
constexpr int kColumnCount = 18;

std::string Text(const Value& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text ? *text : std::string();
}
int64_t Number(const Value& value) {
  const auto* number = std::get_if<int64_t>(&value);
  return number ? *number : 0;
}
Blob Bytes(const Value& value) {
  const auto* bytes = std::get_if<Blob>(&value);
  return bytes ? *bytes : Blob();
}

std::vector<Value> RowOf(const CommissioningRecord& r) {
  return {r.attemptId,
          r.timeUtc,
          r.bench,
          r.operatorName,
          r.port,
          r.job,
          r.configHash,
          r.model,
          int64_t{r.serialNumber},
          int64_t{r.firmwareVersion},
          int64_t{r.firmwareBuild},
          int64_t{r.batchCode},
          int64_t{r.productCode},
          r.before,
          r.after,
          std::string(OutcomeText(r.result)),
          r.reason,
          r.durationMs};
}

CommissioningRecord RecordOf(const Row& row) {
  CommissioningRecord r;
  r.attemptId = Text(row[0]);
  r.timeUtc = Text(row[1]);
  r.bench = Text(row[2]);
  r.operatorName = Text(row[3]);
  r.port = Text(row[4]);
  r.job = Text(row[5]);
  r.configHash = Text(row[6]);
  r.model = Text(row[7]);
  r.serialNumber = static_cast<uint32_t>(Number(row[8]));
  r.firmwareVersion = static_cast<uint16_t>(Number(row[9]));
  r.firmwareBuild = static_cast<uint16_t>(Number(row[10]));
  r.batchCode = static_cast<uint32_t>(Number(row[11]));
  r.productCode = static_cast<uint32_t>(Number(row[12]));
  r.before = Bytes(row[13]);
  r.after = Bytes(row[14]);
  r.result = OutcomeFromText(Text(row[15])).value_or(Outcome::Failed);
  r.reason = Text(row[16]);
  r.durationMs = Number(row[17]);
  return r;
}
}  // namespace

const char* OutcomeText(Outcome outcome) { return kOutcomeTexts[static_cast<size_t>(outcome)]; }

std::optional<Outcome> OutcomeFromText(const std::string& text) {
  for (size_t i = 0; i < kOutcomeTexts.size(); ++i)
    if (text == kOutcomeTexts[i]) return static_cast<Outcome>(i);
  return std::nullopt;
}

std::string NewAttemptId() {
  static thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<uint64_t>(std::random_device{}())
                                                                          << 32};
  return fmt::format("{:016x}{:016x}", random(), random());
}

void CreateCommissioningTable(Database& db) {
  const std::string integer = db.TypeOf(ColumnType::Integer), text = db.TypeOf(ColumnType::Text);
  const std::string bytes = db.TypeOf(ColumnType::Bytes);
  db.EnsureSchema(
      fmt::format("CREATE TABLE IF NOT EXISTS {0} (id {1}, attempt_id {2} NOT NULL UNIQUE, time_utc {2} NOT NULL, "
                  "bench {2}, operator {2}, port {2}, job {2}, config_hash {2}, model {2}, serial_number {3}, "
                  "firmware_version {3}, firmware_build {3}, batch_code {3}, product_code {3}, config_before {4}, "
                  "config_after {4}, result {2} NOT NULL, reason {2}, duration_ms {3});"
                  "CREATE INDEX IF NOT EXISTS {0}_unit ON {0} (serial_number, job)",
                  kTable, db.TypeOf(ColumnType::AutoId), text, integer, bytes));
}

void InsertRecord(Database& db, const CommissioningRecord& record) {
  std::string placeholders = "?";
  for (int i = 1; i < kColumnCount; ++i) placeholders += ", ?";
  db.Query(fmt::format("INSERT INTO {} ({}) VALUES ({}) ON CONFLICT (attempt_id) DO NOTHING", kTable, kColumns,
                       placeholders),
           RowOf(record));
}

std::vector<CommissioningRecord> SelectRecords(Database& db, const RecordFilter& filter) {
  std::string where = " WHERE 1=1";
  std::vector<Value> params;
  if (filter.job) {
    where += " AND job = ?";
    params.emplace_back(*filter.job);
  }
  if (filter.sinceUtc) {
    where += " AND time_utc >= ?";
    params.emplace_back(*filter.sinceUtc);
  }
  if (filter.result) {
    where += " AND result = ?";
    params.emplace_back(std::string(OutcomeText(*filter.result)));
  }
  if (filter.serialNumber) {
    where += " AND serial_number = ?";
    params.emplace_back(int64_t{*filter.serialNumber});
  }
  std::vector<CommissioningRecord> records;
  for (const Row& row :
       db.Query(fmt::format("SELECT {} FROM {}{} ORDER BY time_utc, id", kColumns, kTable, where), params))
    records.push_back(RecordOf(row));
  return records;
}

void DeleteRecords(Database& db, const std::vector<std::string>& attemptIds) {
  for (const std::string& id : attemptIds) db.Query(fmt::format("DELETE FROM {} WHERE attempt_id = ?", kTable), {id});
}

bool HasDoneRecord(Database& db, uint32_t serialNumber, const std::string& job, const std::string& configHash) {
  const Rows rows = db.Query(fmt::format("SELECT COUNT(*) FROM {} WHERE serial_number = ? AND job = ? AND "
                                         "config_hash = ? AND result = ?",
                                         kTable),
                             {int64_t{serialNumber}, job, configHash, std::string(OutcomeText(Outcome::Done))});
  return !rows.empty() && Number(rows[0][0]) > 0;
}

}  // namespace lum::store
