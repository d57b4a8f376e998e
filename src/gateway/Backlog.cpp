#include "gateway/Backlog.h"

#include <fmt/format.h>

namespace lum::gateway {

namespace {

constexpr char kBacklogTable[] = "gateway_backlog";
constexpr char kCountersTable[] = "gateway_counters";
constexpr char kDroppedCounter[] = "backlog_dropped";

int64_t IntegerOf(const store::Rows& rows) {
  if (rows.empty() || rows.front().empty()) return 0;
  const auto* value = std::get_if<int64_t>(&rows.front().front());
  return value != nullptr ? *value : 0;
}

}  // namespace

Backlog::Backlog(store::Database& db, int64_t limit) : db_(db), limit_(limit) {
  db_.EnsureSchema(fmt::format("CREATE TABLE IF NOT EXISTS {} (id {}, topic {} NOT NULL, payload {} NOT NULL)",
                               kBacklogTable, db_.TypeOf(store::ColumnType::AutoId),
                               db_.TypeOf(store::ColumnType::Text), db_.TypeOf(store::ColumnType::Text)));
  db_.EnsureSchema(fmt::format("CREATE TABLE IF NOT EXISTS {} (name {} PRIMARY KEY, value {} NOT NULL)", kCountersTable,
                               db_.TypeOf(store::ColumnType::Text), db_.TypeOf(store::ColumnType::Integer)));
}

int64_t Backlog::Push(const std::string& topic, const std::function<std::string(int64_t)>& make) {
  int64_t sequence = 0;
  db_.Transaction([&] {
    sequence = IntegerOf(
        db_.Query(fmt::format("INSERT INTO {} (topic, payload) VALUES (?, '') RETURNING id", kBacklogTable), {topic}));
    db_.Query(fmt::format("UPDATE {} SET payload = ? WHERE id = ?", kBacklogTable), {make(sequence), sequence});
    DropBeyondLimit();
  });
  return sequence;
}

void Backlog::DropBeyondLimit() {
  const int64_t excess = IntegerOf(db_.Query(fmt::format("SELECT COUNT(*) FROM {}", kBacklogTable))) - limit_;
  if (excess <= 0) return;
  db_.Query(fmt::format("DELETE FROM {0} WHERE id IN (SELECT id FROM {0} ORDER BY id LIMIT ?)", kBacklogTable),
            {excess});
  db_.Query(fmt::format("INSERT INTO {} (name, value) VALUES (?, ?) ON CONFLICT (name) DO UPDATE SET value = "
                        "{}.value + excluded.value",
                        kCountersTable, kCountersTable),
            {std::string(kDroppedCounter), excess});
}

std::vector<BacklogEntry> Backlog::After(int64_t after, size_t count) {
  std::vector<BacklogEntry> entries;
  db_.ForEach(
      fmt::format("SELECT id, topic, payload FROM {} WHERE id > ? ORDER BY id LIMIT ?", kBacklogTable),
      {after, static_cast<int64_t>(count)}, [&](const store::Row& row) {
        entries.push_back({std::get<int64_t>(row[0]), std::get<std::string>(row[1]), std::get<std::string>(row[2])});
      });
  return entries;
}

void Backlog::Remove(int64_t sequence) {
  db_.Query(fmt::format("DELETE FROM {} WHERE id = ?", kBacklogTable), {sequence});
}

int64_t Backlog::Size() { return IntegerOf(db_.Query(fmt::format("SELECT COUNT(*) FROM {}", kBacklogTable))); }

int64_t Backlog::Dropped() {
  return IntegerOf(
      db_.Query(fmt::format("SELECT value FROM {} WHERE name = ?", kCountersTable), {std::string(kDroppedCounter)}));
}

}  // namespace lum::gateway
