#pragma once

#include <string>

namespace lum::cli {

/// The help of the --db option of every command on the records database.
inline constexpr char kDatabaseOptionHelp[] =
    "SQLite file or postgresql:// URL (default: LUM.INI's [Data] Database, else commissioning.db in the data folder)";

/// The database a reading command's --db names (the data folder's commissioning.db
/// when empty). Ends the command with exit status 1 and a message when it is an SQLite file
/// that does not exist: reading never leaves an empty database behind.
std::string ExistingDatabase(const std::string& db);

}  // namespace lum::cli
