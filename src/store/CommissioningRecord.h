#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
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
  std::string model;       // the unit's model text as the window shows it (decoded from GBK)
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
  Blob modelBytes;  // the model text's bytes as the unit sent them
  bool operator==(const CommissioningRecord&) const = default;
};

/// A fresh attempt identifier (128 random bits in hex).
std::string NewAttemptId();

/// A configuration block as a record keeps it (before, after).
Blob BlockBytes(const TCONFIG_BLOCK& block);

/// What `records` lists: every given criterion must hold.
struct RecordFilter {
  std::optional<std::string> job = std::nullopt;
  std::optional<std::string> sinceUtc = std::nullopt;  // rows at or after this time text
  std::optional<Outcome> result = std::nullopt;
  std::optional<uint32_t> serialNumber = std::nullopt;
};

}  // namespace lum::store
