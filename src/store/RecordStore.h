#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "store/CommissioningRecord.h"
#include "store/Database.h"
#include "store/RecordTable.h"

namespace lum::store {

/// Where a bench keeps its commissioning records. An SQLite file is written directly. A
/// PostgreSQL server is written when it answers; while it does not (it is away or stops
/// answering), rows go to a local SQLite spool file, each with the server it is for (its URL
/// without the password), and are sent there, oldest first, once it answers again (a row is
/// stored once even if it is sent twice). Rows spooled for another server stay where they are.
/// Safe to use from several threads.
class RecordStore {
 public:
  /// A bench writes and sends what waits in the spool; a reader only reads (it never sends
  /// spooled rows and never makes a spool file).
  enum class Use { Bench, Reader };

  /// `target`: an SQLite file or a postgresql:// URL; `spoolPath`: the SQLite file that
  /// holds rows while the server is away (unused for an SQLite target). A bench sends rows
  /// left in the spool for this server by an earlier run as soon as the server answers.
  /// Throws DatabaseError when the SQLite file or the spool cannot be opened, when the server
  /// answers and refuses the login (LoginRefused), or when the records table is not ready and
  /// this role may not make it (NotPermitted). A server that does not answer is not an error.
  RecordStore(const std::string& target, const std::string& spoolPath, Use use = Use::Bench,
              std::chrono::milliseconds retryInterval = kDefaultRetry, DatabaseTimeouts timeouts = {});
  ~RecordStore();

  static constexpr std::chrono::milliseconds kDefaultRetry{2000};

  /// Keeps the row: in the target, or in the spool while the server is away.
  void Add(const CommissioningRecord& record);
  /// A "done" row for this unit, job and configuration, in the target or the spool.
  bool AlreadyDone(uint32_t serialNumber, const std::string& job, const std::string& configHash);

  /// What a listing gave.
  struct Listing {
    bool serverReached = true;  // false: the server's rows are missing (or cut short)
    size_t stored = 0;          // rows from the target
    size_t spooled = 0;         // rows from the spool, still waiting for the server
  };
  /// Hands the target's rows matching the filter to `each`, then this server's rows still in
  /// the spool (`spooled` true), without keeping them all.
  Listing List(const RecordFilter& filter, const std::function<void(const CommissioningRecord&, bool spooled)>& each);
  /// Rows of the target matching the filter, then those still in the spool.
  std::vector<CommissioningRecord> Records(const RecordFilter& filter = {});
  /// Tries to send the spooled rows now (at most once per retry interval while the server
  /// is away). True when nothing is left in the spool.
  bool Flush();
  /// Rows waiting in the spool for this server; answers at once, whatever the store does.
  size_t SpooledCount() const { return spooled_; }
  /// False while the server is away.
  bool Online();
  /// Why the server was last found away ("" when it never was).
  std::string ServerProblem() const;
  const std::string& Target() const { return target_; }
  /// The target as it may be shown: without a password.
  const std::string& ShownTarget() const { return spool_target_; }
  const std::string& SpoolPath() const { return spool_path_; }

 private:
  bool TryConnect(bool atStart = false);
  bool SendSpool();
  void LoseConnection(const DatabaseError& error);
  Database& Spool();
  RecordPlace SpoolPlace() { return {Spool(), spool_target_}; }

  std::mutex mutex_;
  std::string target_;
  std::string spool_target_;  // the target without its password
  std::string spool_path_;
  Use use_;
  std::chrono::milliseconds retry_interval_;
  DatabaseTimeouts timeouts_;
  std::chrono::steady_clock::time_point next_try_{};
  std::unique_ptr<Database> primary_;  // null while the server is away
  std::unique_ptr<Database> spool_;    // opened when first needed
  std::atomic<size_t> spooled_{0};
  mutable std::mutex problem_mutex_;
  std::string problem_;
};

/// The database file of a working directory: the commissioning records and the recordings.
inline constexpr char kDefaultDatabaseFile[] = "commissioning.db";

/// The database a bench or command uses: `db` when given (an SQLite file or a postgresql://
/// URL), otherwise kDefaultDatabaseFile in `directory`.
std::string DatabaseTarget(const std::string& directory, const std::string& db);

/// Creates `directory` when the database is its default file (`db` empty) and it is missing.
void PrepareDefaultDatabaseFolder(const std::string& directory, const std::string& db);

/// The commissioning records of a bench working in `directory`: `db` when given (an SQLite
/// file or a postgresql:// URL), otherwise "commissioning.db" in `directory`; rows for an
/// unreachable server wait in "commissioning-spool.db" there. Throws DatabaseError.
std::unique_ptr<RecordStore> OpenRecordStore(const std::string& directory, const std::string& db = {},
                                             RecordStore::Use use = RecordStore::Use::Bench);

}  // namespace lum::store
