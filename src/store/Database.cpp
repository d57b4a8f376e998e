#include "store/Database.h"

#include <filesystem>

#include "store/PostgresDatabase.h"
#include "store/SqliteDatabase.h"

namespace lum::store {

namespace {
constexpr const char* kPostgresSchemes[] = {"postgresql://", "postgres://"};
}

void Database::Transaction(const std::function<void()>& work) {
  Exec(BeginStatement());
  try {
    work();
  } catch (...) {
    try {
      Exec("ROLLBACK");
    } catch (const DatabaseError&) {
      // The connection is gone; the server drops the transaction itself.
    }
    throw;
  }
  Exec("COMMIT");
}

std::string Database::TypeOf(ColumnType type) const {
  const bool pg = Kind() == Dialect::PostgreSQL;
  switch (type) {
    case ColumnType::AutoId:
      return pg ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
    case ColumnType::Bytes:
      return pg ? "BYTEA" : "BLOB";
    case ColumnType::Integer:
      return pg ? "BIGINT" : "INTEGER";
    case ColumnType::Text:
      return "TEXT";
  }
  return "TEXT";
}

bool IsPostgresUrl(const std::string& target) {
  for (const char* scheme : kPostgresSchemes)
    if (target.rfind(scheme, 0) == 0) return true;
  return false;
}

bool DatabaseExists(const std::string& target) { return IsPostgresUrl(target) || std::filesystem::exists(target); }

std::unique_ptr<Database> OpenDatabase(const std::string& target) {
  if (IsPostgresUrl(target)) return std::make_unique<PostgresDatabase>(target);
  return std::make_unique<SqliteDatabase>(target);
}

}  // namespace lum::store
