#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "store/CommissioningRecord.h"
#include "store/Database.h"

namespace lum::store {

/// Where a bench keeps its commissioning records. An SQLite file is written directly. A
/// PostgreSQL server is written when it answers; while it does not, rows go to a local
/// SQLite spool file and are sent, oldest first, once it answers again (a row is stored
/// once even if it is sent twice). Safe to use from several threads.
class RecordStore {
 public:
  /// `target`: an SQLite file or a postgresql:// URL; `spoolPath`: the SQLite file that
  /// holds rows while the server is away (unused for an SQLite target). Rows left in the
  /// spool by an earlier run are sent as soon as the server answers. Throws DatabaseError
  /// when the SQLite file or the spool cannot be opened; a server that does not answer is
  /// not an error.
  RecordStore(const std::string& target, const std::string& spoolPath,
              std::chrono::milliseconds retryInterval = kDefaultRetry);
  ~RecordStore();

  static constexpr std::chrono::milliseconds kDefaultRetry{2000};

  /// Keeps the row: in the target, or in the spool while the server is away.
  void Add(const CommissioningRecord& record);
  /// A "done" row for this unit, job and configuration, in the target or the spool.
  bool AlreadyDone(uint32_t serialNumber, const std::string& job, const std::string& configHash);
  /// Rows of the target matching the filter, then those still in the spool.
  std::vector<CommissioningRecord> Records(const RecordFilter& filter = {});
  /// Tries to send the spooled rows now (at most once per retry interval while the server
  /// is away). True when nothing is left in the spool.
  bool Flush();
  size_t SpooledCount();
  /// False while the server is away.
  bool Online();
  const std::string& Target() const { return target_; }
  const std::string& SpoolPath() const { return spoolPath_; }

 private:
  bool TryConnect();
  bool SendSpool();
  void LoseConnection();
  Database& Spool();

  std::mutex mutex_;
  std::string target_;
  std::string spoolPath_;
  std::chrono::milliseconds retryInterval_;
  std::chrono::steady_clock::time_point nextTry_{};
  std::unique_ptr<Database> primary_;  // null while the server is away
  std::unique_ptr<Database> spool_;    // opened when first needed
};

/// The database file of a working directory: the commissioning records and the recordings.
inline constexpr char kDefaultDatabaseFile[] = "commissioning.db";

/// The database a bench or command uses: `db` when given (an SQLite file or a postgresql://
/// URL), otherwise kDefaultDatabaseFile in `directory`.
std::string DatabaseTarget(const std::string& directory, const std::string& db);

/// The commissioning records of a bench working in `directory`: `db` when given (an SQLite
/// file or a postgresql:// URL), otherwise "commissioning.db" in `directory`; rows for an
/// unreachable server wait in "commissioning-spool.db" there. Throws DatabaseError.
std::unique_ptr<RecordStore> OpenRecordStore(const std::string& directory, const std::string& db = {});

}  // namespace lum::store
