#include "cli/Commissioning.h"

#include <filesystem>

namespace lum::cli {

namespace {
constexpr const char* kDefaultDatabase = "commissioning.db";
}

std::unique_ptr<store::RecordStore> OpenRecords(const CliContext& context, const std::string& db) {
  const std::string target = db.empty() ? (std::filesystem::path(context.Directory()) / kDefaultDatabase).string() : db;
  return std::make_unique<store::RecordStore>(target, store::SpoolPathIn(context.Directory()));
}

}  // namespace lum::cli
