#include "store/PostgresDatabase.h"

#include <fmt/format.h>
#include <libpq-fe.h>
#include <poll.h>

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

// Error codes (SQLSTATE) and classes of the server.
constexpr std::string_view kConnectionClass = "08";
constexpr std::string_view kShutdownClass = "57P";
constexpr std::string_view kLoginClass = "28";
constexpr std::string_view kInsufficientPrivilege = "42501";

// A failure without a server-side error code is libpq's own: the connection broke. Class 08
// (connection exception) and 57P (the server shutting down) mean the same for the caller;
// class 28 is a refused login and 42501 a missing privilege.
Failure FailureOf(const PGresult* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  if (!state) return Failure::ConnectionLost;
  const std::string code = state;
  if (code.starts_with(kConnectionClass) || code.starts_with(kShutdownClass)) return Failure::ConnectionLost;
  if (code.starts_with(kLoginClass)) return Failure::LoginRefused;
  if (code == kInsufficientPrivilege) return Failure::NotPermitted;
  return Failure::Statement;
}

constexpr const char* kConnectTimeoutKey = "connect_timeout";
constexpr const char* kDatabaseNameKey = "dbname";
constexpr int kExpandDatabaseName = 1;  // the dbname value is a whole URL
// A server that is there answers a ping at once.
constexpr int kPingTimeoutSeconds = 2;

// Serialises schema changes and chained inserts of every client of the server (any fixed key
// will do).
constexpr int64_t kWriteLockKey = 0x4C554D;

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

PostgresDatabase::PostgresDatabase(const std::string& url, const DatabaseTimeouts& timeouts)
    : answer_timeout_(timeouts.answer) {
  // The URL's own connect_timeout, when it has one, comes later and wins.
  const std::string timeout = std::to_string(timeouts.connect.count());
  const char* keys[] = {kConnectTimeoutKey, kDatabaseNameKey, nullptr};
  const char* values[] = {timeout.c_str(), url.c_str(), nullptr};
  conn_ = PQconnectdbParams(keys, values, kExpandDatabaseName);
  if (!conn_) throw DatabaseError("PostgreSQL: out of memory", Failure::ConnectionLost);
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string message = PQerrorMessage(conn_);
    PQfinish(conn_);
    conn_ = nullptr;
    // A server that answers a ping is there: it refused this role, password or database.
    const std::string pingTimeout = std::to_string(kPingTimeoutSeconds);
    const char* pingValues[] = {pingTimeout.c_str(), url.c_str(), nullptr};
    const PGPing ping = PQpingParams(keys, pingValues, kExpandDatabaseName);
    const bool away = ping == PQPING_NO_RESPONSE || ping == PQPING_REJECT;
    throw DatabaseError("PostgreSQL: " + message, away ? Failure::ConnectionLost : Failure::LoginRefused);
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
  const Failure failure = FailureOf(result);
  if (failure == Failure::ConnectionLost) lost_ = true;
  const char* message = result ? PQresultErrorMessage(result) : PQerrorMessage(conn_);
  throw DatabaseError("PostgreSQL: " + what + ": " + message, failure);
}

PGresult* PostgresDatabase::NextResult(const std::string& sql) {
  const auto deadline = std::chrono::steady_clock::now() + answer_timeout_;
  while (PQisBusy(conn_)) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      lost_ = true;
      throw DatabaseError(fmt::format("PostgreSQL: {}: no answer within {} s", sql,
                                      std::chrono::duration<double>(answer_timeout_).count()),
                          Failure::ConnectionLost);
    }
    pollfd socket{PQsocket(conn_), POLLIN, 0};
    poll(&socket, 1, static_cast<int>(left.count()));
    if (!PQconsumeInput(conn_)) Fail(sql, nullptr);
  }
  return PQgetResult(conn_);
}

void PostgresDatabase::Run(const std::string& sql, const std::vector<Value>* params,
                           const std::function<void(const Row&)>& each) {
  if (lost_) throw DatabaseError("PostgreSQL: " + sql + ": the connection is lost", Failure::ConnectionLost);
  int sent = 0;
  if (params) {
    const Parameters p(*params);
    sent = PQsendQueryParams(conn_, NumberPlaceholders(sql).c_str(), static_cast<int>(params->size()), p.types.data(),
                             p.values.data(), p.lengths.data(), p.formats.data(), kTextFormat);
    // One row at a time: a long list never sits whole in memory.
    if (sent) PQsetSingleRowMode(conn_);
  } else {
    sent = PQsendQuery(conn_, sql.c_str());
  }
  if (!sent) Fail(sql, nullptr);
  // Every result is taken, so that the connection is ready for the next statement.
  Result failed;
  Row row;
  while (PGresult* next = NextResult(sql)) {
    Result result(next);
    const ExecStatusType status = PQresultStatus(next);
    if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) {
      const int count = PQntuples(next), columns = PQnfields(next);
      for (int r = 0; r < count && !failed; ++r) {
        row.clear();
        for (int c = 0; c < columns; ++c) row.push_back(Cell(next, r, c));
        each(row);
      }
    } else if (status != PGRES_COMMAND_OK && !failed) {
      failed = std::move(result);
    }
  }
  if (failed) Fail(sql, failed.get());
}

void PostgresDatabase::Exec(const std::string& sql) {
  Run(sql, nullptr, [](const Row&) {});
}

void PostgresDatabase::ForEach(const std::string& sql, const std::vector<Value>& params,
                               const std::function<void(const Row&)>& each) {
  Run(sql, &params, each);
}

bool PostgresDatabase::HasTable(const std::string& name) {
  // A plain query of the catalogue sees what another client committed while this one waited
  // for a lock (a look-up through the server's catalogue cache may not).
  return !Query("SELECT 1 FROM pg_catalog.pg_tables WHERE tablename = ? AND schemaname = ANY(current_schemas(false))",
                {name})
              .empty();
}

void PostgresDatabase::TakeWriteLock() { Query("SELECT pg_advisory_xact_lock(?)", {kWriteLockKey}); }

void PostgresDatabase::EnsureSchema(const std::string& ddl) {
  Transaction([&] {
    TakeWriteLock();
    Exec(ddl);
  });
}

}  // namespace lum::store
