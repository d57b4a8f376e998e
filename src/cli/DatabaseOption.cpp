#include "cli/DatabaseOption.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "store/Database.h"
#include "store/RecordStore.h"

namespace lum::cli {

std::string ExistingDatabase(const std::string& db) {
  const CliContext context;
  std::string target = store::DatabaseTarget(context.DataDir(), context.Database(db));
  if (!store::DatabaseExists(target)) {
    std::cerr << target << ": no such database (nothing was recorded here; --db names another)\n";
    throw CLI::RuntimeError(kExitFailed);
  }
  return target;
}

}  // namespace lum::cli
