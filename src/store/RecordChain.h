#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "store/Database.h"

namespace lum::store {

/// Each commissioning row carries the hash of its own values chained to the hash of the row
/// written before it in the same database, so that a row changed, removed or slipped in
/// afterwards shows.
inline constexpr char kPreviousHashColumn[] = "previous_hash";
inline constexpr char kRecordHashColumn[] = "record_hash";

/// SHA-256 (hex) of the previous row's hash ("" for the first row) and a row's values in
/// column order.
std::string ChainHash(const std::string& previousHash, std::span<const Value> values);

/// Where the chain first breaks.
struct ChainBreak {
  enum class Kind {
    Changed,   // this row's values are not those it was written with
    Removed,   // a row written right before this one is gone
    Inserted,  // this row was not written in its place by a bench
  };
  Kind kind = Kind::Changed;
  size_t position = 0;  // 1 for the oldest row
  std::string attemptId;
  std::string timeUtc;
};

struct ChainCheck {
  size_t rows = 0;
  std::optional<ChainBreak> firstBreak;
};

/// Checks the chain of the commissioning rows of `db`, oldest first.
ChainCheck VerifyChain(Database& db);

}  // namespace lum::store
