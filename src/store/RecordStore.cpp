#include "store/RecordStore.h"

#include <filesystem>

namespace lum::store {

namespace {
constexpr const char* kSpoolFileName = "commissioning-spool.db";
}  // namespace

std::string DatabaseTarget(const std::string& directory, const std::string& db) {
  return db.empty() ? (std::filesystem::path(directory) / kDefaultDatabaseFile).string() : db;
}

std::unique_ptr<RecordStore> OpenRecordStore(const std::string& directory, const std::string& db) {
  return std::make_unique<RecordStore>(DatabaseTarget(directory, db),
                                       (std::filesystem::path(directory) / kSpoolFileName).string());
}

RecordStore::RecordStore(const std::string& target, const std::string& spoolPath,
                         std::chrono::milliseconds retryInterval)
    : target_(target), spoolPath_(spoolPath), retryInterval_(retryInterval) {
  if (!IsPostgresUrl(target_)) {
    primary_ = OpenDatabase(target_);  // a local file: its failure is the caller's to report
    CreateCommissioningTable(*primary_);
    return;
  }
  // Rows an earlier run could not send are waiting in the spool.
  if (std::filesystem::exists(spoolPath_)) Spool();
  std::lock_guard lock(mutex_);
  if (TryConnect()) SendSpool();
}

RecordStore::~RecordStore() = default;

Database& RecordStore::Spool() {
  if (!spool_) {
    spool_ = OpenDatabase(spoolPath_);
    CreateCommissioningTable(*spool_);
  }
  return *spool_;
}

bool RecordStore::TryConnect() {
  if (primary_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now < nextTry_) return false;
  nextTry_ = now + retryInterval_;
  try {
    auto db = OpenDatabase(target_);
    CreateCommissioningTable(*db);
    primary_ = std::move(db);
    return true;
  } catch (const DatabaseError& e) {
    if (!e.ConnectionLost()) throw;
    return false;
  }
}

void RecordStore::LoseConnection() {
  primary_.reset();
  nextTry_ = std::chrono::steady_clock::now() + retryInterval_;
}

// Under the lock, with primary_ connected. Rows are deleted from the spool only after the
// server committed them; a failure in between sends them again, which stores them once.
bool RecordStore::SendSpool() {
  if (!spool_) return true;
  const std::vector<CommissioningRecord> waiting = SelectRecords(*spool_);
  if (waiting.empty()) return true;
  try {
    primary_->Transaction([&] {
      for (const CommissioningRecord& record : waiting) InsertRecord(*primary_, record);
    });
  } catch (const DatabaseError& e) {
    if (!e.ConnectionLost()) throw;
    LoseConnection();
    return false;
  }
  std::vector<std::string> sent;
  sent.reserve(waiting.size());
  for (const CommissioningRecord& record : waiting) sent.push_back(record.attemptId);
  spool_->Transaction([&] { DeleteRecords(*spool_, sent); });
  return true;
}

void RecordStore::Add(const CommissioningRecord& record) {
  std::lock_guard lock(mutex_);
  if (TryConnect() && SendSpool()) {
    try {
      InsertRecord(*primary_, record);
      return;
    } catch (const DatabaseError& e) {
      if (!e.ConnectionLost()) throw;
      LoseConnection();
    }
  }
  InsertRecord(Spool(), record);
}

bool RecordStore::AlreadyDone(uint32_t serialNumber, const std::string& job, const std::string& configHash) {
  std::lock_guard lock(mutex_);
  if (spool_ && HasDoneRecord(*spool_, serialNumber, job, configHash)) return true;
  if (!TryConnect()) return false;
  try {
    return HasDoneRecord(*primary_, serialNumber, job, configHash);
  } catch (const DatabaseError& e) {
    if (!e.ConnectionLost()) throw;
    LoseConnection();
    return false;
  }
}

std::vector<CommissioningRecord> RecordStore::Records(const RecordFilter& filter) {
  std::lock_guard lock(mutex_);
  std::vector<CommissioningRecord> records;
  if (TryConnect()) {
    try {
      records = SelectRecords(*primary_, filter);
    } catch (const DatabaseError& e) {
      if (!e.ConnectionLost()) throw;
      LoseConnection();
    }
  }
  if (spool_)
    for (CommissioningRecord& record : SelectRecords(*spool_, filter)) records.push_back(std::move(record));
  return records;
}

bool RecordStore::Flush() {
  std::lock_guard lock(mutex_);
  return TryConnect() && SendSpool();
}

size_t RecordStore::SpooledCount() {
  std::lock_guard lock(mutex_);
  return spool_ ? SelectRecords(*spool_).size() : 0;
}

bool RecordStore::Online() {
  std::lock_guard lock(mutex_);
  return TryConnect();
}

}  // namespace lum::store
