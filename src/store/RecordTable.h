#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/CommissioningRecord.h"
#include "store/Database.h"

namespace lum::store {

inline constexpr char kRecordTable[] = "commissioning";
/// The column of a spool file's rows naming the server a row is for.
inline constexpr char kSpoolTargetColumn[] = "spool_target";

/// The commissioning rows of a database, or the spool file's rows that wait for a server
/// (each with the server it is for).
enum class RecordTableKind { Records, Spool };

/// Where rows are read from or written to: the records of a database, or the rows of a spool
/// file waiting for the server `spoolTarget` names (see SpoolTargetOf).
struct RecordPlace {
  Database& db;
  std::optional<std::string> spoolTarget = std::nullopt;
};

/// Stores the rows, chained to the database's last row, in one transaction; a row whose
/// attemptId is already there is skipped (a row sent twice is stored once).
void InsertRecords(const RecordPlace& place, const std::vector<CommissioningRecord>& records);
/// Hands the rows matching the filter to `each`, oldest first, without keeping them all.
void ForEachRecord(const RecordPlace& place, const RecordFilter& filter,
                   const std::function<void(const CommissioningRecord&)>& each);
/// Rows matching the filter, oldest first.
std::vector<CommissioningRecord> SelectRecords(const RecordPlace& place, const RecordFilter& filter = {});
/// How many rows there are.
size_t CountRecords(const RecordPlace& place);
/// Removes the rows with these attempt identifiers.
void DeleteRecords(Database& db, const std::vector<std::string>& attemptIds);
/// True when the unit has a "done" row for this job and configuration.
bool HasDoneRecord(const RecordPlace& place, uint32_t serialNumber, const std::string& job,
                   const std::string& configHash);

/// A PostgreSQL URL without its password (in the user part or as a parameter): what a
/// spooled row keeps of the server it is for.
std::string SpoolTargetOf(const std::string& url);

}  // namespace lum::store
