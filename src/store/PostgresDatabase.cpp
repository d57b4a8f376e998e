#include "store/PostgresDatabase.h"

#include <libpq-fe.h>

#include <charconv>
#include <memory>

namespace lum::store {

namespace {
// Type identifiers of the server's catalogue that decide how a result column is read.
constexpr Oid kBoolOid = 16;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr int kTextFormat = 0;
constexpr int kBinaryFormat = 1;

struct ResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

void IgnoreNotice(void*, const char*) {}  // "already exists, skipping" and the like

// A failure without a server-side error code is libpq's own: the connection broke. Class 08
// (connection exception) and 57P (the server shutting down) mean the same for the caller.
bool MeansConnectionLost(const PGresult* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  if (!state) return true;
  const std::string code = state;
  return code.rfind("08", 0) == 0 || code.rfind("57P", 0) == 0;
}

// Serialises schema changes of every client of the server (any fixed key will do).
constexpr int64_t kSchemaLockKey = 0x4C554D;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// bytea in the text format is "\x" followed by two hex digits per byte.
Blob DecodeBytea(const char* text, size_t length) {
  Blob bytes;
  if (length < 2 || text[0] != '\\' || text[1] != 'x') return bytes;
  for (size_t i = 2; i + 1 < length; i += 2) {
    const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) break;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

Value Cell(const PGresult* result, int row, int column) {
  if (PQgetisnull(result, row, column)) return nullptr;
  const char* text = PQgetvalue(result, row, column);
  const auto length = static_cast<size_t>(PQgetlength(result, row, column));
  switch (PQftype(result, column)) {
    case kInt8Oid:
    case kInt4Oid:
    case kInt2Oid: {
      int64_t number = 0;
      std::from_chars(text, text + length, number);
      return number;
    }
    case kFloat4Oid:
    case kFloat8Oid:
      return std::stod(std::string(text, length));
    case kBoolOid:
      return int64_t{text[0] == 't'};
    case kByteaOid:
      return DecodeBytea(text, length);
    default:
      return std::string(text, length);
  }
}

// libpq takes every parameter as pointer, length and format; these keep the texts alive.
struct Parameters {
  std::vector<std::string> texts;
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
  std::vector<Oid> types;

  explicit Parameters(const std::vector<Value>& params) {
    texts.reserve(params.size());
    for (const Value& value : params) {
      texts.emplace_back();
      Oid type = 0;  // the server infers it from the statement
      int format = kTextFormat;
      const char* pointer = nullptr;
      size_t length = 0;
      if (const auto* number = std::get_if<int64_t>(&value)) {
        texts.back() = std::to_string(*number);
        type = kInt8Oid;
      } else if (const auto* real = std::get_if<double>(&value)) {
        texts.back() = std::to_string(*real);
        type = kFloat8Oid;
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        texts.back() = *text;
      } else if (const auto* blob = std::get_if<Blob>(&value)) {
        texts.back().assign(blob->begin(), blob->end());
        type = kByteaOid;
        format = kBinaryFormat;
      }
      if (!std::holds_alternative<std::nullptr_t>(value)) {
        pointer = texts.back().data();
        length = texts.back().size();
      }
      values.push_back(pointer);
      lengths.push_back(static_cast<int>(length));
      formats.push_back(format);
      types.push_back(type);
    }
  }
};
}  // namespace

std::string NumberPlaceholders(const std::string& sql) {
  std::string out;
  int number = 0;
  char quote = 0;
  for (const char c : sql) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?') {
      out += '$' + std::to_string(++number);
      continue;
    }
    out += c;
  }
  return out;
}

PostgresDatabase::PostgresDatabase(const std::string& url) : conn_(PQconnectdb(url.c_str())) {
  if (!conn_) throw DatabaseError("PostgreSQL: out of memory", true);
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string message = PQerrorMessage(conn_);
    PQfinish(conn_);
    conn_ = nullptr;
    throw DatabaseError("PostgreSQL: " + message, true);
  }
  PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
}

PostgresDatabase::~PostgresDatabase() { PQfinish(conn_); }

bool PostgresDatabase::Connected() const { return !lost_ && PQstatus(conn_) == CONNECTION_OK; }

bool PostgresDatabase::Reconnect() {
  if (Connected()) return true;
  PQreset(conn_);
  lost_ = PQstatus(conn_) != CONNECTION_OK;
  return !lost_;
}

void PostgresDatabase::Fail(const std::string& what, const PGresult* result) {
  if (MeansConnectionLost(result)) lost_ = true;
  throw DatabaseError("PostgreSQL: " + what + ": " + PQerrorMessage(conn_), lost_);
}

void PostgresDatabase::Exec(const std::string& sql) {
  const Result result(PQexec(conn_, sql.c_str()));
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(sql, result.get());
}

void PostgresDatabase::EnsureSchema(const std::string& ddl) {
  Transaction([&] {
    Query("SELECT pg_advisory_xact_lock(?)", {kSchemaLockKey});
    Exec(ddl);
  });
}

Rows PostgresDatabase::Query(const std::string& sql, const std::vector<Value>& params) {
  const Parameters p(params);
  const Result result(PQexecParams(conn_, NumberPlaceholders(sql).c_str(), static_cast<int>(params.size()),
                                   p.types.data(), p.values.data(), p.lengths.data(), p.formats.data(), kTextFormat));
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(sql, result.get());
  Rows rows;
  const int count = PQntuples(result.get()), columns = PQnfields(result.get());
  for (int r = 0; r < count; ++r) {
    Row row;
    for (int c = 0; c < columns; ++c) row.push_back(Cell(result.get(), r, c));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace lum::store
