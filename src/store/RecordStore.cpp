#include "store/RecordStore.h"

#include <filesystem>

#include "store/RecordSchema.h"

namespace lum::store {

namespace {
constexpr const char* kSpoolFileName = "commissioning-spool.db";
}  // namespace

std::string DatabaseTarget(const std::string& directory, const std::string& db) {
  return db.empty() ? (std::filesystem::path(directory) / kDefaultDatabaseFile).string() : db;
}

void PrepareDefaultDatabaseFolder(const std::string& directory, const std::string& db) {
  // A folder that cannot be made shows as the database file's own open failure.
  std::error_code ignored;
  if (db.empty()) std::filesystem::create_directories(directory, ignored);
}

std::unique_ptr<RecordStore> OpenRecordStore(const std::string& directory, const std::string& db,
                                             RecordStore::Use use) {
  PrepareDefaultDatabaseFolder(directory, db);
  return std::make_unique<RecordStore>(DatabaseTarget(directory, db),
                                       (std::filesystem::path(directory) / kSpoolFileName).string(), use);
}

RecordStore::RecordStore(const std::string& target, const std::string& spoolPath, Use use,
                         std::chrono::milliseconds retryInterval, DatabaseTimeouts timeouts)
    : target_(target),
      spool_target_(SpoolTargetOf(target)),
      spool_path_(spoolPath),
      use_(use),
      retry_interval_(retryInterval),
      timeouts_(timeouts) {
  if (!IsPostgresUrl(target_)) {
    // A local file: its failure is the caller's to report.
    primary_ = OpenDatabase(target_, use_ == Use::Reader ? OpenCheck::None : OpenCheck::Integrity, timeouts_);
    PrepareRecordTable(*primary_);
    return;
  }
  // Rows an earlier run could not send may be waiting in the spool.
  if (std::filesystem::exists(spool_path_)) spooled_ = CountRecords(SpoolPlace());
  std::lock_guard lock(mutex_);
  if (TryConnect(true) && use_ == Use::Bench) SendSpool();
}

RecordStore::~RecordStore() = default;

Database& RecordStore::Spool() {
  if (!spool_) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(spool_path_).parent_path(), ignored);
    auto spool = OpenDatabase(spool_path_, OpenCheck::Integrity, timeouts_);
    PrepareRecordTable(*spool, RecordTableKind::Spool);
    spool_ = std::move(spool);
  }
  return *spool_;
}

std::string RecordStore::ServerProblem() const {
  std::lock_guard lock(problem_mutex_);
  return problem_;
}

// Under the lock. At start, a server that answers and refuses is the caller's error; later,
// whatever keeps the rows from the server keeps them in the spool.
bool RecordStore::TryConnect(bool atStart) {
  if (primary_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_try_) return false;
  next_try_ = now + retry_interval_;
  try {
    auto db = OpenDatabase(target_, OpenCheck::Integrity, timeouts_);
    PrepareRecordTable(*db);
    primary_ = std::move(db);
    return true;
  } catch (const DatabaseError& e) {
    if (atStart && !e.ConnectionLost()) throw;
    LoseConnection(e);
    return false;
  }
}

void RecordStore::LoseConnection(const DatabaseError& error) {
  primary_.reset();
  next_try_ = std::chrono::steady_clock::now() + retry_interval_;
  std::lock_guard lock(problem_mutex_);
  problem_ = error.what();
}

// Under the lock, with primary_ connected. Rows are deleted from the spool only after the
// server committed them; a failure in between sends them again, which stores them once.
bool RecordStore::SendSpool() {
  if (spooled_ == 0) return true;
  const std::vector<CommissioningRecord> waiting = SelectRecords(SpoolPlace());
  try {
    InsertRecords({*primary_}, waiting);
  } catch (const DatabaseError& e) {
    if (!e.ConnectionLost()) throw;
    LoseConnection(e);
    return false;
  }
  std::vector<std::string> sent;
  sent.reserve(waiting.size());
  for (const CommissioningRecord& record : waiting) sent.push_back(record.attemptId);
  spool_->Transaction([&] { DeleteRecords(*spool_, sent); });
  spooled_ = CountRecords(SpoolPlace());
  return spooled_ == 0;
}

void RecordStore::Add(const CommissioningRecord& record) {
  std::lock_guard lock(mutex_);
  if (TryConnect() && SendSpool()) {
    try {
      InsertRecords({*primary_}, {record});
      return;
    } catch (const DatabaseError& e) {
      if (!e.ConnectionLost()) throw;
      LoseConnection(e);
    }
  }
  InsertRecords(SpoolPlace(), {record});
  spooled_ = CountRecords(SpoolPlace());
}

bool RecordStore::AlreadyDone(uint32_t serialNumber, const std::string& job, const std::string& configHash) {
  std::lock_guard lock(mutex_);
  if (spooled_ > 0 && HasDoneRecord(SpoolPlace(), serialNumber, job, configHash)) return true;
  if (!TryConnect()) return false;
  try {
    return HasDoneRecord({*primary_}, serialNumber, job, configHash);
  } catch (const DatabaseError& e) {
    if (!e.ConnectionLost()) throw;
    LoseConnection(e);
    return false;
  }
}

RecordStore::Listing RecordStore::List(const RecordFilter& filter,
                                       const std::function<void(const CommissioningRecord&, bool spooled)>& each) {
  std::lock_guard lock(mutex_);
  Listing listing;
  listing.serverReached = TryConnect();
  if (listing.serverReached) {
    try {
      ForEachRecord({*primary_}, filter, [&](const CommissioningRecord& record) {
        each(record, false);
        ++listing.stored;
      });
    } catch (const DatabaseError& e) {
      if (!e.ConnectionLost()) throw;
      LoseConnection(e);
      listing.serverReached = false;
    }
  }
  if (spooled_ > 0)
    ForEachRecord(SpoolPlace(), filter, [&](const CommissioningRecord& record) {
      each(record, true);
      ++listing.spooled;
    });
  return listing;
}

std::vector<CommissioningRecord> RecordStore::Records(const RecordFilter& filter) {
  std::vector<CommissioningRecord> records;
  List(filter, [&](const CommissioningRecord& record, bool) { records.push_back(record); });
  return records;
}

bool RecordStore::Flush() {
  std::lock_guard lock(mutex_);
  return TryConnect() && SendSpool();
}

bool RecordStore::Online() {
  std::lock_guard lock(mutex_);
  return TryConnect();
}

}  // namespace lum::store
