#pragma once

#include <span>
#include <string>
#include <vector>

#include "store/CommissioningRecord.h"
#include "store/Database.h"

namespace lum::store {

/// One column of the commissioning table: how it is named and typed, since which schema
/// version it exists, and how a record's field becomes its value and back. The table, its
/// statements, its migrations and its record hashes are all made from this one list.
struct RecordColumn {
  const char* name;
  ColumnType type;
  const char* constraint;  // "" or e.g. "NOT NULL"
  int since;               // the schema version that added it
  Value (*write)(const CommissioningRecord&);
  void (*read)(CommissioningRecord&, const Value&);
};

/// Every column of a record, in the order of every statement.
std::span<const RecordColumn> RecordColumns();

/// "attempt_id, time_utc, ..." with an optional prefix before each name.
std::string RecordColumnList(const std::string& prefix = "");

/// The record's values, in column order. Texts are valid UTF-8 (bytes that are not become
/// U+FFFD), so that every backend takes them.
std::vector<Value> RecordValues(const CommissioningRecord& record);

/// A record from values in column order (a missing or NULL value leaves the field empty).
CommissioningRecord RecordFromValues(std::span<const Value> values);

}  // namespace lum::store
