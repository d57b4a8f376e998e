#pragma once

#include <chrono>
#include <string>

#include "store/Database.h"

struct pg_conn;
struct pg_result;

namespace lum::store {

/// A PostgreSQL server, reached through libpq with a connection string
/// ("postgresql://user@host:port/name" or with ?host=/socket/dir). Connecting gives up after
/// the connect timeout (unless the URL says otherwise) and a statement whose answer does not
/// come within the answer timeout counts as a lost connection: a server that stops answering
/// never holds its caller.
class PostgresDatabase : public Database {
 public:
  /// Connects. Throws DatabaseError: ConnectionLost when the server cannot be reached,
  /// LoginRefused when it answers and refuses the role, password or database.
  explicit PostgresDatabase(const std::string& url, const DatabaseTimeouts& timeouts = {});
  ~PostgresDatabase() override;
  PostgresDatabase(const PostgresDatabase&) = delete;
  PostgresDatabase& operator=(const PostgresDatabase&) = delete;

  Dialect Kind() const override { return Dialect::PostgreSQL; }
  void Exec(const std::string& sql) override;
  void ForEach(const std::string& sql, const std::vector<Value>& params,
               const std::function<void(const Row&)>& each) override;
  bool HasTable(const std::string& name) override;
  bool Connected() const override;
  bool Reconnect() override;
  /// Under the writers' lock: two clients creating the same table at once would collide.
  void EnsureSchema(const std::string& ddl) override;
  /// A lock of the server's own that every client of it takes (an advisory lock).
  void TakeWriteLock() override;

 private:
  [[noreturn]] void Fail(const std::string& what, const pg_result* result);
  /// Sends the statement (with parameters when given) and hands each row to `each`.
  void Run(const std::string& sql, const std::vector<Value>* params, const std::function<void(const Row&)>& each);
  /// The next result of the statement sent, waiting at most the answer timeout; null at its end.
  pg_result* NextResult(const std::string& sql);

  std::chrono::milliseconds answer_timeout_;
  pg_conn* conn_ = nullptr;
  bool lost_ = false;
};

/// The statement with each `?` outside quotes replaced by $1, $2, ... in order.
std::string NumberPlaceholders(const std::string& sql);

}  // namespace lum::store
