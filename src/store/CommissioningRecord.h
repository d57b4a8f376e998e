#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/Database.h"

namespace lum::store {

/// How one attempt on one unit ended.
enum class Outcome { Done, Failed, Refused, Interrupted, AlreadyDone, Unreadable };

/// "done", "failed", "refused", "interrupted", "already done", "could not be read".
const char* OutcomeText(Outcome outcome);
std::optional<Outcome> OutcomeFromText(const std::string& text);

/// One attempt to provision one unit: who, where, what was written, what the unit held
/// before and after, and how it ended.
struct CommissioningRecord {
  std::string attemptId;  // unique per attempt: a row sent twice is stored once
  std::string timeUtc;    // UtcStamp: "yyyy-mm-ddThh:mm:ss.zzzZ", sorts as text
  std::string bench;
  std::string operatorName;
  std::string port;
  std::string job;
  std::string configHash;  // of the block written to this unit (job configuration and overrides)
  std::string model;
  uint32_t serialNumber = 0;
  uint16_t firmwareVersion = 0;
  uint16_t firmwareBuild = 0;
  uint32_t batchCode = 0;
  uint32_t productCode = 0;
  Blob before;  // the configuration block read before writing
  Blob after;   // read back after writing (empty when nothing was written)
  Outcome result = Outcome::Failed;
  std::string reason;
  int64_t durationMs = 0;
  bool operator==(const CommissioningRecord&) const = default;
};

/// A fresh attempt identifier (128 random bits in hex).
std::string NewAttemptId();

/// What `records` lists: every given criterion must hold.
struct RecordFilter {
  std::optional<std::string> job = std::nullopt;
  std::optional<std::string> sinceUtc = std::nullopt;  // rows at or after this time text
  std::optional<Outcome> result = std::nullopt;
  std::optional<uint32_t> serialNumber = std::nullopt;
};

/// The commissioning table on any database of the store layer.
void CreateCommissioningTable(Database& db);
/// Stores the row unless a row with its attemptId is already there.
void InsertRecord(Database& db, const CommissioningRecord& record);
/// Rows matching the filter, oldest first.
std::vector<CommissioningRecord> SelectRecords(Database& db, const RecordFilter& filter = {});
/// Removes the rows with these attempt identifiers.
void DeleteRecords(Database& db, const std::vector<std::string>& attemptIds);
/// True when the unit has a "done" row for this job and configuration.
bool HasDoneRecord(Database& db, uint32_t serialNumber, const std::string& job, const std::string& configHash);

}  // namespace lum::store
