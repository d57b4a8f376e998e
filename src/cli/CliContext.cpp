#include "cli/CliContext.h"

#include <filesystem>
#include <utility>

#include "data/TypeTables.h"
#include "language/LanguageKeys.h"
#include "language/Settings.h"

namespace lum::cli {

CliContext::CliContext(std::string directory) : directory_(std::move(directory)) {
  const std::string name = Settings(directory_).LanguageFile();
  if (IsPlainFileName(name)) language_ = ProfileFile::Load((std::filesystem::path(directory_) / name).string());
  messages_.FillBuiltIn();
  ReadMessages(language_, messages_);
}

const PortMap& CliContext::Ports() const {
  if (!ports_) {
    const auto section = Settings(directory_).PortsSection();
    ports_ = section ? PortMap::FromSection(*section) : PortMap::FromSystem();
  }
  return *ports_;
}

std::string CliContext::DeviceTypeName(int row) const {
  if (row < 0 || row >= kDeviceTypeCount) return {};
  const TDEVICE_TYPES& type = DeviceTypes()[static_cast<size_t>(row)];
  return language_.ReadOr(language_keys::kDeviceDescription, DeviceDescriptionKey(type.ProductCode), type.DefaultName);
}

std::string CliContext::WorkModeName(int index) const {
  if (index < 0 || index >= kWorkModeCount) return {};
  return language_.ReadOr(language_keys::kWorkMode, WorkModeKey(index), WorkModeNames()[static_cast<size_t>(index)]);
}

}  // namespace lum::cli
