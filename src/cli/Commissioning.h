#pragma once

#include <memory>
#include <string>

#include "cli/CliContext.h"
#include "store/RecordStore.h"

namespace lum::cli {

/// The commissioning database of a command: `--db` when given (an SQLite file or a
/// postgresql:// URL), otherwise commissioning.db beside LUM.INI. Rows for an unreachable
/// server wait in commissioning-spool.db beside LUM.INI. Throws store::DatabaseError.
std::unique_ptr<store::RecordStore> OpenRecords(const CliContext& context, const std::string& db);

}  // namespace lum::cli
