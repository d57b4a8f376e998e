#pragma once

#include <string>

#include "store/Database.h"

struct pg_conn;
struct pg_result;

namespace lum::store {

/// A PostgreSQL server, reached through libpq with a connection string
/// ("postgresql://user@host:port/name" or with ?host=/socket/dir).
class PostgresDatabase : public Database {
 public:
  /// Connects. Throws DatabaseError (connection lost) when the server cannot be reached.
  explicit PostgresDatabase(const std::string& url);
  ~PostgresDatabase() override;
  PostgresDatabase(const PostgresDatabase&) = delete;
  PostgresDatabase& operator=(const PostgresDatabase&) = delete;

  Dialect Kind() const override { return Dialect::PostgreSQL; }
  void Exec(const std::string& sql) override;
  Rows Query(const std::string& sql, const std::vector<Value>& params = {}) override;
  bool Connected() const override;
  bool Reconnect() override;
  /// Under a server-wide lock: two clients creating the same table at once would collide.
  void EnsureSchema(const std::string& ddl) override;

 private:
  [[noreturn]] void Fail(const std::string& what, const pg_result* result);

  pg_conn* conn_ = nullptr;
  bool lost_ = false;
};

/// The statement with each `?` outside quotes replaced by $1, $2, ... in order.
std::string NumberPlaceholders(const std::string& sql);

}  // namespace lum::store
