#include "cli/CliContext.h"

#include <filesystem>
#include <stdexcept>
#include <utility>

#include "data/TypeTables.h"
#include "device/SettingsPorts.h"
#include "language/FieldCaptions.h"
#include "language/LanguageKeys.h"
#include "language/Settings.h"
#include "language/WindowCaptions.h"

namespace lum::cli {

namespace {
std::optional<std::string>& LanguageOverride() {
  static std::optional<std::string> path;
  return path;
}

std::vector<std::pair<int, BusAddresses>>& BusOverrides() {
  static std::vector<std::pair<int, BusAddresses>> buses;
  return buses;
}
}  // namespace

void CliContext::UseLanguageFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw std::runtime_error(path + ": no such language file");
  LanguageOverride() = path;
}

void CliContext::UseBus(const std::string& choice) {
  std::string error;
  const auto bus = ParseBusChoice(choice, &error);
  if (!bus) throw std::invalid_argument(error);
  const auto n = ComNumber(bus->port);
  if (!n) throw std::invalid_argument("--bus " + choice + ": " + bus->port + " is not a port name COM1..COM16");
  BusOverrides().emplace_back(*n, bus->addresses);
}

CliContext::CliContext(std::string directory)
    : directory_(std::move(directory)),
      locations_(LocateFiles(directory_, Environment::FromProcess(), InstalledLanguageDir())) {
  messages_.FillBuiltIn();
  if (const auto path = LanguageFilePath()) language_ = ProfileFile::Load(*path);
  ReadMessages(language_, messages_);
}

std::optional<std::string> CliContext::LanguageFilePath() const {
  if (LanguageOverride()) return LanguageOverride();
  const std::string name = ChosenLanguageFile(locations_, Environment::FromProcess());
  // A remembered name with a folder part reads nothing outside the language folders.
  if (!IsPlainFileName(name)) return std::nullopt;
  return FindLanguageFile(locations_.LanguageDirs(), name);
}

std::string CliContext::Database(const std::string& given) const {
  return given.empty() ? Settings(locations_.settingsDir).Database() : given;
}

const PortMap& CliContext::Ports() const {
  if (!ports_) {
    std::vector<std::string> errors;
    PortMap map = PortsFromSettings(Settings(locations_.settingsDir), errors);
    if (!errors.empty()) throw std::runtime_error(Settings::kFileName + std::string(" ") + errors.front());
    for (const auto& [n, addresses] : BusOverrides()) map.SetBus(n, addresses);
    ports_ = std::move(map);
  }
  return *ports_;
}

void CliContext::NarrowBus(int n, uint8_t address) {
  Ports();
  ports_->SetBus(n, {address});
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

std::string CliContext::Caption(std::string_view component) const { return WindowCaption(language_, component); }

FieldLabels CliContext::Labels() const {
  FieldLabels::Captions captions;
  for (const FieldComponent& field : FieldComponents())
    captions[std::string(field.component)] = Caption(field.component);
  captions[FieldLabels::kFlagsPage] = Caption(FieldLabels::kFlagsPage);
  return FieldLabels(std::move(captions));
}

}  // namespace lum::cli
