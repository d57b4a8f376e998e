#include "store/Recordings.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <set>

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

// How much of several recordings that overlap in time is merged at once.
constexpr int64_t kMergeWindowMs = 3600LL * 1000;

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
  if (filter.untilMs) {
    add("p.time_ms < ?");
    params.emplace_back(*filter.untilMs);
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

std::vector<std::string> Recordings::Serials() {
  std::vector<std::string> serials;
  for (const Row& row : db_.Query(fmt::format("SELECT DISTINCT serial FROM {} r WHERE EXISTS (SELECT 1 FROM {} p WHERE "
                                              "p.recording = r.id) ORDER BY serial",
                                              kRecordingsTable, kPollsTable)))
    serials.push_back(std::get<std::string>(row[0]));
  return serials;
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

std::vector<RecordingSpan> Recordings::Spans(const RecordingFilter& filter) {
  std::vector<Value> params;
  std::string sql = fmt::format("SELECT id, serial FROM {}", kRecordingsTable);
  if (filter.serial) {
    sql += " WHERE serial = ?";
    params.emplace_back(*filter.serial);
  }
  // The first and the last poll each through the key, so a long recording is not read.
  const auto edge = [this, &filter](int64_t id, const char* direction) -> std::optional<int64_t> {
    const Rows rows =
        db_.Query(fmt::format("SELECT time_ms FROM {} WHERE recording = ? AND time_ms >= ? AND time_ms < ? "
                              "ORDER BY time_ms {} LIMIT 1",
                              kPollsTable, direction),
                  {id, filter.sinceMs.value_or(std::numeric_limits<int64_t>::min()),
                   filter.untilMs.value_or(std::numeric_limits<int64_t>::max())});
    if (rows.empty()) return std::nullopt;
    return Integer(rows[0][0]);
  };
  std::vector<RecordingSpan> spans;
  for (const Row& row : db_.Query(sql + " ORDER BY id", params)) {
    const int64_t id = Integer(row[0]);
    const auto first = edge(id, "ASC");
    if (!first) continue;
    spans.push_back({id, std::get<std::string>(row[1]), *first, *edge(id, "DESC")});
  }
  return spans;
}

void Recordings::Range(const RecordingSpan& span, int64_t fromMs, int64_t toMs,
                       const std::function<void(const PollSample&)>& each) {
  // In the key's order: the database does not sort.
  const std::string sql =
      fmt::format("SELECT time_ms{} FROM {} WHERE recording = ? AND time_ms >= ? AND time_ms < ? ORDER BY time_ms",
                  ValueColumns(), kPollsTable);
  db_.ForEach(sql, {span.id, fromMs, toMs}, [&each](const Row& row) { each(SampleOf(row, 0)); });
}

void Recordings::Export(const RecordingFilter& filter,
                        const std::function<void(const std::string&, const PollSample&)>& each) {
  const std::vector<RecordingSpan> spans = Spans(filter);
  // Between two of these times the same recordings hold polls: one alone streams straight
  // through, several are merged a window at a time. A year at 1 Hz is never held in memory.
  std::set<int64_t> edges;
  for (const RecordingSpan& span : spans) {
    edges.insert(span.firstMs);
    edges.insert(span.lastMs + 1);
  }
  for (auto from = edges.begin(); from != edges.end() && std::next(from) != edges.end(); ++from) {
    const int64_t toMs = *std::next(from);
    std::vector<const RecordingSpan*> open;
    for (const RecordingSpan& span : spans)
      if (span.firstMs < toMs && span.lastMs >= *from) open.push_back(&span);
    if (open.size() == 1) {
      Range(*open[0], *from, toMs, [&](const PollSample& sample) { each(open[0]->serial, sample); });
      continue;
    }
    for (int64_t window = *from; window < toMs && !open.empty(); window += kMergeWindowMs) {
      std::vector<std::pair<const RecordingSpan*, PollSample>> polls;
      for (const RecordingSpan* span : open)
        Range(*span, window, std::min(toMs, window + kMergeWindowMs),
              [&](const PollSample& sample) { polls.emplace_back(span, sample); });
      // Stable: polls at the same time stay in the order of their recordings.
      std::stable_sort(polls.begin(), polls.end(),
                       [](const auto& a, const auto& b) { return a.second.timeMs < b.second.timeMs; });
      for (const auto& [span, sample] : polls) each(span->serial, sample);
    }
  }
}

std::unique_ptr<Database> OpenRecordingsDatabase(const std::string& directory, const std::string& target) {
  PrepareDefaultDatabaseFolder(directory, target);
  return OpenDatabase(DatabaseTarget(directory, target));
}

}  // namespace lum::store
