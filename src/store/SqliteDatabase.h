#pragma once

#include <chrono>
#include <string>

#include "store/Database.h"

struct sqlite3;

namespace lum::store {

/// An SQLite file. Several processes may write to it at once: each waits for the others'
/// transactions (busy timeout) instead of failing.
class SqliteDatabase : public Database {
 public:
  /// Opens (or creates) the file and, unless `check` is None, checks it: a damaged file is
  /// refused. Throws DatabaseError naming the file.
  explicit SqliteDatabase(const std::string& path, OpenCheck check = OpenCheck::Integrity,
                          std::chrono::milliseconds busyTimeout = DatabaseTimeouts{}.busy);
  ~SqliteDatabase() override;
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  Dialect Kind() const override { return Dialect::SQLite; }
  void Exec(const std::string& sql) override;
  void ForEach(const std::string& sql, const std::vector<Value>& params,
               const std::function<void(const Row&)>& each) override;
  bool HasTable(const std::string& name) override;

 protected:
  const char* BeginStatement() const override { return "BEGIN IMMEDIATE"; }

 private:
  [[noreturn]] void Fail(const std::string& what) const;
  /// Puts the file in rollback-journal mode; false when it stays locked for too long.
  bool UseRollbackJournal();
  /// Throws DatabaseError when the file is damaged.
  void CheckIntegrity();

  sqlite3* db_ = nullptr;
  std::string path_;
  std::chrono::milliseconds busy_timeout_;
};

}  // namespace lum::store
