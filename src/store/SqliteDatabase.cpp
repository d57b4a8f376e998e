#include "store/SqliteDatabase.h"

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <thread>

namespace lum::store {

namespace {

// A connection is used by one thread at a time, so SQLite need not lock it around every call
// (a year of polls read column by column spent a fifth of its time there).
constexpr int kThreading = SQLITE_OPEN_NOMUTEX;
constexpr std::chrono::milliseconds kLockedRetry{10};
// Extended result codes carry the primary code in their low byte.
constexpr int kPrimaryCodeMask = 0xFF;
// A rollback journal, not a write-ahead log. SQLite's locks are POSIX record locks, which a
// process loses on a file as soon as it closes any descriptor of that file: a file dialog that
// merely looks at the folder drops them. A write-ahead log depends on those locks for as long
// as a connection is open (its shared-memory index and "last connection deletes the log"), so
// another process reading afterwards takes the log away and this process goes on writing
// into a deleted file. With a rollback journal a connection holds locks only inside a
// statement or transaction and checks the file afresh at the next one, so nothing this
// process does with the folder between its writes can cost a record. Exclusive locking or
// dot-file locking would instead shut out other readers or leave a stale lock after a crash.
// Readers now hold up a writer for the length of a read, which the busy timeout covers.
constexpr const char* kJournalPragma = "PRAGMA journal_mode=DELETE";
// The first problem found is enough to refuse the file.
constexpr const char* kQuickCheckPragma = "PRAGMA quick_check(1)";
constexpr const char* kIntegrityOk = "ok";

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

int Bind(sqlite3_stmt* statement, int index, const Value& value) {
  struct Binder {
    sqlite3_stmt* s;
    int i;
    int operator()(std::nullptr_t) const { return sqlite3_bind_null(s, i); }
    int operator()(int64_t v) const { return sqlite3_bind_int64(s, i, v); }
    int operator()(double v) const { return sqlite3_bind_double(s, i, v); }
    int operator()(const std::string& v) const {
      return sqlite3_bind_text64(s, i, v.data(), v.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    int operator()(const Blob& v) const {
      // A zero-length blob must still be a blob, not NULL.
      static const uint8_t kEmpty = 0;
      return sqlite3_bind_blob64(s, i, v.empty() ? &kEmpty : v.data(), v.size(), SQLITE_TRANSIENT);
    }
  };
  return std::visit(Binder{statement, index}, value);
}

Value Column(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
      return static_cast<int64_t>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
      return sqlite3_column_double(statement, column);
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
    }
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, column));
      return Blob(bytes, bytes + sqlite3_column_bytes(statement, column));
    }
    default:
      return nullptr;
  }
}
}  // namespace

SqliteDatabase::SqliteDatabase(const std::string& path, OpenCheck check, std::chrono::milliseconds busyTimeout)
    : path_(path), busy_timeout_(busyTimeout) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | kThreading, nullptr) !=
      SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError(path + ": " + message);
  }
  sqlite3_busy_timeout(db_, static_cast<int>(busy_timeout_.count()));
  if (!UseRollbackJournal()) {
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError(path + ": " + kJournalPragma + ": " + message);
  }
  if (check == OpenCheck::None) return;
  try {
    CheckIntegrity();
  } catch (const DatabaseError&) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

void SqliteDatabase::CheckIntegrity() {
  // A file damaged in the middle otherwise opens and fails later, in the middle of a unit's
  // record. The quick check reads every page but skips the index-against-table comparison.
  std::string problem;
  try {
    const Rows rows = Query(kQuickCheckPragma);
    if (rows.size() == 1 && rows[0].size() == 1 && rows[0][0] == Value{std::string(kIntegrityOk)}) return;
    const auto* first = rows.empty() || rows[0].empty() ? nullptr : std::get_if<std::string>(&rows[0][0]);
    problem = first ? *first : "no answer";
  } catch (const DatabaseError&) {
    const int code = sqlite3_errcode(db_);
    if (code != SQLITE_CORRUPT && code != SQLITE_NOTADB) throw;
    problem = sqlite3_errmsg(db_);
  }
  throw DatabaseError(path_ + ": the database is damaged and is not used (" + problem +
                      "); move it away or put back a copy");
}

bool SqliteDatabase::UseRollbackJournal() {
  // A file still in write-ahead-log mode (made by an older version) leaves it only when no
  // other connection has it open, and switching the journal mode skips the busy handler, so
  // the switch is retried here for as long as the busy timeout.
  const auto deadline = std::chrono::steady_clock::now() + busy_timeout_;
  for (;;) {
    const int result = sqlite3_exec(db_, kJournalPragma, nullptr, nullptr, nullptr);
    if (result == SQLITE_OK) return true;
    if ((result != SQLITE_BUSY && result != SQLITE_LOCKED) || std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(kLockedRetry);
  }
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close(db_); }

void SqliteDatabase::Fail(const std::string& what) const {
  const int code = sqlite3_errcode(db_) & kPrimaryCodeMask;
  const bool refused = code == SQLITE_READONLY || code == SQLITE_PERM || code == SQLITE_AUTH;
  throw DatabaseError(path_ + ": " + what + ": " + sqlite3_errmsg(db_),
                      refused ? Failure::NotPermitted : Failure::Statement);
}

void SqliteDatabase::Exec(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

void SqliteDatabase::ForEach(const std::string& sql, const std::vector<Value>& params,
                             const std::function<void(const Row&)>& each) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) Fail(sql);
  const Statement statement(raw);
  if (sqlite3_bind_parameter_count(raw) != static_cast<int>(params.size()))
    throw DatabaseError(path_ + ": " + sql + ": " + std::to_string(params.size()) + " parameters given");
  for (size_t i = 0; i < params.size(); ++i)
    if (Bind(raw, static_cast<int>(i + 1), params[i]) != SQLITE_OK) Fail(sql);

  Row row;
  for (;;) {
    const int step = sqlite3_step(raw);
    if (step == SQLITE_DONE) return;
    if (step != SQLITE_ROW) Fail(sql);
    row.clear();
    const int columns = sqlite3_column_count(raw);
    for (int c = 0; c < columns; ++c) row.push_back(Column(raw, c));
    each(row);
  }
}

bool SqliteDatabase::HasTable(const std::string& name) {
  return !Query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {name}).empty();
}

}  // namespace lum::store
