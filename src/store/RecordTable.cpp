#include "store/RecordTable.h"

#include <fmt/format.h>

#include "store/RecordChain.h"
#include "store/RecordColumns.h"

namespace lum::store {

namespace {

constexpr char kPasswordParameter[] = "password=";
constexpr char kSchemeEnd[] = "://";

// " WHERE ..." for the filter and the place, with its parameters.
std::string Where(const RecordPlace& place, const RecordFilter& filter, std::vector<Value>& params) {
  std::string where;
  auto add = [&](const char* condition, Value value) {
    where += std::string(where.empty() ? " WHERE " : " AND ") + condition;
    params.push_back(std::move(value));
  };
  if (filter.job) add("job = ?", *filter.job);
  if (filter.sinceUtc) add("time_utc >= ?", *filter.sinceUtc);
  if (filter.result) add("result = ?", std::string(OutcomeText(*filter.result)));
  if (filter.serialNumber) add("serial_number = ?", int64_t{*filter.serialNumber});
  if (place.spoolTarget) add("spool_target = ?", *place.spoolTarget);
  return where;
}

std::string LastHash(Database& db) {
  const Rows rows =
      db.Query(fmt::format("SELECT {} FROM {} ORDER BY id DESC LIMIT 1", kRecordHashColumn, kRecordTable));
  const auto* hash = rows.empty() ? nullptr : std::get_if<std::string>(&rows[0][0]);
  return hash ? *hash : std::string();
}

}  // namespace

void InsertRecords(const RecordPlace& place, const std::vector<CommissioningRecord>& records) {
  Database& db = place.db;
  std::string columns = fmt::format("{}, {}, {}", RecordColumnList(), kPreviousHashColumn, kRecordHashColumn);
  if (place.spoolTarget) columns += std::string(", ") + kSpoolTargetColumn;
  std::string placeholders = "?";
  for (size_t i = 1; i < RecordColumns().size() + 2 + (place.spoolTarget ? 1 : 0); ++i) placeholders += ", ?";
  const std::string insert = fmt::format("INSERT INTO {} ({}) VALUES ({})", kRecordTable, columns, placeholders);
  const std::string exists = fmt::format("SELECT 1 FROM {} WHERE attempt_id = ?", kRecordTable);
  db.Transaction([&] {
    db.TakeWriteLock();  // the chain has one end at a time
    std::string last = LastHash(db);
    for (const CommissioningRecord& record : records) {
      if (!db.Query(exists, {record.attemptId}).empty()) continue;
      std::vector<Value> values = RecordValues(record);
      std::string hash = ChainHash(last, values);
      values.emplace_back(last);
      values.emplace_back(hash);
      if (place.spoolTarget) values.emplace_back(*place.spoolTarget);
      db.Query(insert, values);
      last = std::move(hash);
    }
  });
}

void ForEachRecord(const RecordPlace& place, const RecordFilter& filter,
                   const std::function<void(const CommissioningRecord&)>& each) {
  std::vector<Value> params;
  const std::string where = Where(place, filter, params);
  place.db.ForEach(fmt::format("SELECT {} FROM {}{} ORDER BY time_utc, id", RecordColumnList(), kRecordTable, where),
                   params, [&](const Row& row) { each(RecordFromValues(row)); });
}

std::vector<CommissioningRecord> SelectRecords(const RecordPlace& place, const RecordFilter& filter) {
  std::vector<CommissioningRecord> records;
  ForEachRecord(place, filter, [&](const CommissioningRecord& record) { records.push_back(record); });
  return records;
}

size_t CountRecords(const RecordPlace& place) {
  std::vector<Value> params;
  const std::string where = Where(place, {}, params);
  const Rows rows = place.db.Query(fmt::format("SELECT COUNT(*) FROM {}{}", kRecordTable, where), params);
  const auto* count = rows.empty() ? nullptr : std::get_if<int64_t>(&rows[0][0]);
  return count ? static_cast<size_t>(*count) : 0;
}

void DeleteRecords(Database& db, const std::vector<std::string>& attemptIds) {
  for (const std::string& id : attemptIds)
    db.Query(fmt::format("DELETE FROM {} WHERE attempt_id = ?", kRecordTable), {id});
}

bool HasDoneRecord(const RecordPlace& place, uint32_t serialNumber, const std::string& job,
                   const std::string& configHash) {
  RecordFilter filter{.job = job, .result = Outcome::Done, .serialNumber = serialNumber};
  std::vector<Value> params;
  std::string where = Where(place, filter, params) + " AND config_hash = ?";
  params.emplace_back(configHash);
  return !place.db.Query(fmt::format("SELECT 1 FROM {}{} LIMIT 1", kRecordTable, where), params).empty();
}

std::string SpoolTargetOf(const std::string& url) {
  std::string target = url;
  const size_t schemeEnd = target.find(kSchemeEnd);
  const size_t start = schemeEnd == std::string::npos ? 0 : schemeEnd + std::string_view(kSchemeEnd).size();
  const size_t authorityEnd = std::min(target.find_first_of("/?", start), target.size());
  const size_t at = target.rfind('@', authorityEnd);
  if (at != std::string::npos && at >= start) {
    const size_t colon = target.find(':', start);
    if (colon < at) target.erase(colon, at - colon);
  }
  const size_t query = target.find('?');
  if (query == std::string::npos) return target;
  std::string kept;
  size_t from = query + 1;
  while (from <= target.size()) {
    const size_t end = std::min(target.find('&', from), target.size());
    const std::string parameter = target.substr(from, end - from);
    if (!parameter.starts_with(kPasswordParameter)) kept += (kept.empty() ? "" : "&") + parameter;
    from = end + 1;
  }
  return target.substr(0, query) + (kept.empty() ? "" : "?" + kept);
}

}  // namespace lum::store
