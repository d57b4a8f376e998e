#include "store/Recordings.h"

#include <fmt/format.h>

#include "store/RecordStore.h"

namespace lum::store {

namespace {

constexpr char kRecordingsTable[] = "recordings";
constexpr char kPollsTable[] = "recording_polls";

// ", power_on, temperature, ..." with an optional table prefix.
std::string ValueColumns(const char* prefix = "") {
  std::string columns;
  for (ValueId id : kPolledValues) columns += fmt::format(", {}{}", prefix, ValueKey(id));
  return columns;
}

int64_t Integer(const Value& value) { return std::get<int64_t>(value); }

// A poll from its time column and the value columns after it.
PollSample SampleOf(const Row& row, size_t timeColumn) {
  PollSample sample;
  sample.timeMs = Integer(row[timeColumn]);
  for (size_t i = 0; i < kPolledValueCount; ++i)
    if (const auto* raw = std::get_if<int64_t>(&row[timeColumn + 1 + i])) sample.raw[i] = *raw;
  return sample;
}

// " WHERE ..." for the filter, with its parameters.
std::string Where(const RecordingFilter& filter, std::vector<Value>& params) {
  std::string where;
  auto add = [&where](const char* condition) { where += std::string(where.empty() ? " WHERE " : " AND ") + condition; };
  if (filter.serial) {
    add("r.serial = ?");
    params.emplace_back(*filter.serial);
  }
  if (filter.sinceMs) {
    add("p.time_ms >= ?");
    params.emplace_back(*filter.sinceMs);
  }
  return where;
}

}  // namespace

Recordings::Recordings(Database& db) : db_(db) {
  const std::string integer = db.TypeOf(ColumnType::Integer);
  db.EnsureSchema(fmt::format("CREATE TABLE IF NOT EXISTS {} (id {}, serial {} NOT NULL)", kRecordingsTable,
                              db.TypeOf(ColumnType::AutoId), db.TypeOf(ColumnType::Text)));
  std::string polls = fmt::format("CREATE TABLE IF NOT EXISTS {} (recording {} NOT NULL, time_ms {} NOT NULL",
                                  kPollsTable, integer, integer);
  for (ValueId id : kPolledValues) polls += fmt::format(", {} {}", ValueKey(id), integer);
  polls += ", PRIMARY KEY (recording, time_ms))";
  // SQLite then keeps the rows in key order without a second copy of the key: a day at
  // 1 Hz takes about half the room.
  if (db.Kind() == Dialect::SQLite) polls += " WITHOUT ROWID";
  db.EnsureSchema(polls);
}

int64_t Recordings::Start(const std::string& serial) {
  const Rows rows =
      db_.Query(fmt::format("INSERT INTO {} (serial) VALUES (?) RETURNING id", kRecordingsTable), {serial});
  return Integer(rows.at(0).at(0));
}

void Recordings::Add(int64_t recording, const std::vector<PollSample>& samples) {
  std::string placeholders = "?, ?";
  for (size_t i = 0; i < kPolledValueCount; ++i) placeholders += ", ?";
  const std::string insert = fmt::format("INSERT INTO {} (recording, time_ms{}) VALUES ({}) ON CONFLICT DO NOTHING",
                                         kPollsTable, ValueColumns(), placeholders);
  db_.Transaction([&] {
    for (const PollSample& sample : samples) {
      std::vector<Value> params{recording, sample.timeMs};
      for (const auto& raw : sample.raw) {
        if (raw)
          params.emplace_back(*raw);
        else
          params.emplace_back(nullptr);
      }
      db_.Query(insert, params);
    }
  });
}

std::vector<RecordingInfo> Recordings::List(const RecordingFilter& filter) {
  std::vector<Value> params;
  const std::string sql = fmt::format(
      "SELECT r.id, r.serial, MIN(p.time_ms), MAX(p.time_ms), COUNT(*) FROM {} r JOIN {} p ON p.recording = r.id{} "
      "GROUP BY r.id, r.serial ORDER BY MIN(p.time_ms), r.id",
      kRecordingsTable, kPollsTable, Where(filter, params));
  std::vector<RecordingInfo> list;
  for (const Row& row : db_.Query(sql, params))
    list.push_back({Integer(row[0]), std::get<std::string>(row[1]), Integer(row[2]), Integer(row[3]), Integer(row[4])});
  return list;
}

std::vector<PollSample> Recordings::Load(int64_t recording) {
  const Rows rows = db_.Query(
      fmt::format("SELECT time_ms{} FROM {} WHERE recording = ? ORDER BY time_ms", ValueColumns(), kPollsTable),
      {recording});
  std::vector<PollSample> samples;
  samples.reserve(rows.size());
  for (const Row& row : rows) samples.push_back(SampleOf(row, 0));
  return samples;
}

void Recordings::Export(const RecordingFilter& filter,
                        const std::function<void(const std::string&, const PollSample&)>& each) {
  std::vector<Value> params;
  const std::string sql =
      fmt::format("SELECT r.serial, p.time_ms{} FROM {} r JOIN {} p ON p.recording = r.id{} ORDER BY p.time_ms, r.id",
                  ValueColumns("p."), kRecordingsTable, kPollsTable, Where(filter, params));
  // Row by row: a year of polls at 1 Hz is never held in memory.
  db_.ForEach(sql, params, [&each](const Row& row) { each(std::get<std::string>(row[0]), SampleOf(row, 1)); });
}

std::unique_ptr<Database> OpenRecordingsDatabase(const std::string& directory, const std::string& target) {
  PrepareDefaultDatabaseFolder(directory, target);
  return OpenDatabase(DatabaseTarget(directory, target));
}

}  // namespace lum::store
