#pragma once

#include "store/Database.h"
#include "store/RecordTable.h"

namespace lum::store {

/// The version of the commissioning table this program reads and writes. A database records
/// the version of its table; a table made before versions were recorded is version 1.
inline constexpr int kRecordSchemaVersion = 3;

/// The version of the database's commissioning table: 0 when it has none.
int RecordSchemaVersion(Database& db);

struct SchemaChange {
  int from = 0;  // 0: the table was made
  int to = 0;
};

/// Makes the commissioning table when it is missing and migrates an older one forward, under
/// a lock so that benches opening the same database at once do it once. A database of the
/// current version is left as it is: a role that may only insert and select uses it. Throws
/// DatabaseError: NotPermitted (saying that the owner runs `lumctl records init`) when the
/// role may not make or migrate the table, or when the database is of a newer version. A table
/// that lacks only its time index is used as it is by such a role (it lists more slowly).
SchemaChange PrepareRecordTable(Database& db, RecordTableKind kind = RecordTableKind::Records);

}  // namespace lum::store
