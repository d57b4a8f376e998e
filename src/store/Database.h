#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace lum::store {

/// A column value: NULL, an integer, a real, a text or bytes.
using Blob = std::vector<uint8_t>;
using Value = std::variant<std::nullptr_t, int64_t, double, std::string, Blob>;
using Row = std::vector<Value>;
using Rows = std::vector<Row>;

/// Why a statement or a connection failed.
enum class Failure {
  Statement,       // the statement itself (syntax, constraint, a full disk, ...)
  ConnectionLost,  // the server is gone or does not answer: the caller may keep its work elsewhere
  LoginRefused,    // the server answered and refused the role, password or database
  NotPermitted,    // the role or the file may not do this (read-only file, no privilege)
};

/// A statement or connection that failed; what() is the database's own message.
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::string& message, Failure failure = Failure::Statement)
      : std::runtime_error(message), failure_(failure) {}
  Failure Kind() const { return failure_; }
  bool ConnectionLost() const { return failure_ == Failure::ConnectionLost; }

 private:
  Failure failure_;
};

/// The SQL both backends understand, with the few words in which they differ.
enum class Dialect { SQLite, PostgreSQL };

/// Column types spelled differently by the two backends.
enum class ColumnType { AutoId, Bytes, Integer, Text };

/// One connection to a database. Statements use `?` for parameters on both backends.
/// A table module creates its own table (CREATE TABLE IF NOT EXISTS through EnsureSchema,
/// with TypeOf() for the column types that differ) and runs its statements through Query.
///
///   db.EnsureSchema("CREATE TABLE IF NOT EXISTS t (id " + db.TypeOf(ColumnType::AutoId) + ", b " +
///           db.TypeOf(ColumnType::Bytes) + ")");
///   db.Transaction([&] { db.Query("INSERT INTO t (b) VALUES (?)", {Blob{1, 2}}); });
///   Rows rows = db.Query("SELECT id, b FROM t WHERE id > ?", {int64_t{0}});
///
/// Not thread-safe: one thread at a time per connection.
class Database {
 public:
  virtual ~Database() = default;

  virtual Dialect Kind() const = 0;
  /// The backend's spelling of a column type.
  std::string TypeOf(ColumnType type) const;
  /// Statements without parameters or results, several separated by ';' allowed.
  virtual void Exec(const std::string& sql) = 0;
  /// Runs CREATE ... IF NOT EXISTS statements (like Exec) safely while other clients run
  /// the same ones.
  virtual void EnsureSchema(const std::string& ddl) { Exec(ddl); }
  /// One statement with parameters; the rows it returns (none for INSERT without RETURNING).
  Rows Query(const std::string& sql, const std::vector<Value>& params = {});
  /// Like Query, handing each row to `each` as it arrives instead of keeping them all.
  virtual void ForEach(const std::string& sql, const std::vector<Value>& params,
                       const std::function<void(const Row&)>& each) = 0;
  /// True when the database holds a table of this name.
  virtual bool HasTable(const std::string& name) = 0;
  /// Runs `work` in a transaction: committed when it returns, rolled back when it throws
  /// (the exception goes on). Not nested.
  void Transaction(const std::function<void()>& work);
  /// Within a transaction: waits until no other client of the database holds the writers'
  /// lock and holds it to the transaction's end. SQLite's transactions hold it already.
  virtual void TakeWriteLock() {}
  /// False once the connection is known to be gone; Reconnect tries again.
  virtual bool Connected() const { return true; }
  virtual bool Reconnect() { return Connected(); }

 protected:
  /// What opens a transaction (SQLite takes the write lock at once, so that two writers
  /// wait for each other instead of failing on the upgrade).
  virtual const char* BeginStatement() const { return "BEGIN"; }
};

/// True for a PostgreSQL connection string ("postgresql://..." or "postgres://...");
/// anything else names an SQLite file.
bool IsPostgresUrl(const std::string& target);

/// False for an SQLite file that does not exist, which opening would create empty; true for
/// a PostgreSQL connection string (the server says whether it holds the database).
bool DatabaseExists(const std::string& target);

/// What opening an SQLite file checks first. A file that will be written is read whole for
/// damage, which would otherwise fail in the middle of a unit's record; a file only listed
/// fails loudly at a damaged page anyway, and reading it twice would double the listing.
enum class OpenCheck { Integrity, None };

/// How long a database is waited for before the wait counts as a failure.
struct DatabaseTimeouts {
  /// SQLite: another connection's transaction; long enough for another bench's few rows on a
  /// busy machine.
  std::chrono::milliseconds busy{30000};
  /// PostgreSQL: connecting (whole seconds, at least two as libpq counts them), unless the URL
  /// says otherwise.
  std::chrono::seconds connect{5};
  /// PostgreSQL: the answer to a statement; a server that stops answering never holds its caller.
  std::chrono::milliseconds answer{5000};
};

/// Opens an SQLite file (created when missing) or connects to PostgreSQL, by the target's form.
/// Throws DatabaseError naming the target when it cannot.
std::unique_ptr<Database> OpenDatabase(const std::string& target, OpenCheck check = OpenCheck::Integrity,
                                       const DatabaseTimeouts& timeouts = {});

}  // namespace lum::store
