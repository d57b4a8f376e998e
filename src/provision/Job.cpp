#include "provision/Job.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "base/AsciiText.h"
#include "base/Sha256.h"
#include "data/ConfigFile.h"
#include "data/ConfigJson.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"
#include "device/WritePlan.h"
#include "language/MessageTable.h"
#include "nights/ThresholdSettings.h"
#include "provision/JobFile.h"
#include "provision/UnitChecks.h"
#include "upgrade/EffFile.h"
#include "upgrade/ModelName.h"

namespace lum {

namespace {
namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* kName = "name";
constexpr const char* kConfig = "config";
constexpr const char* kOverrides = "overrides";
constexpr const char* kProducts = "products";
constexpr const char* kMinFirmware = "minFirmware";
constexpr const char* kUpgrade = "upgrade";
constexpr const char* kNights = "nights";
const std::set<std::string> kKnownKeys = {kName, kConfig, kOverrides, kProducts, kMinFirmware, kUpgrade, kNights};
constexpr const char* kLumExtension = ".lum";

std::string Text(const json& document, const char* key, const std::string& jobPath) {
  if (!document.contains(key)) return {};
  const json& value = document[key];
  if (!value.is_string() || value.get<std::string>().empty())
    throw JobError(fmt::format("{}: \"{}\" must be a non-empty text", jobPath, key));
  return value.get<std::string>();
}

std::string Beside(const std::string& jobPath, const std::string& name) {
  if (name.empty()) return {};
  const fs::path path(name);
  return path.is_absolute() ? name : (fs::path(jobPath).parent_path() / path).lexically_normal().string();
}

bool IsLumFile(const std::string& path) {
  return EqualsIgnoringCase(fs::path(path).extension().string(), kLumExtension);
}

TCONFIG_BLOCK ReadConfiguration(const std::string& path) {
  if (IsLumFile(path)) {
    ConfigFileResult file;
    try {
      file = OpenConfigFile(path);
    } catch (const std::runtime_error& e) {
      throw JobError(e.what());
    }
    if (file.status != ConfigFileStatus::Ok) throw JobError(OpenFailureLine(file.status, path, "config"));
    return file.block;
  }
  try {
    return BlockFromJson(json::parse(ReadJobFile(path)));
  } catch (const json::exception& e) {
    throw JobError(path + ": " + e.what());
  } catch (const ConfigJsonError& e) {
    throw JobError(path + ": " + e.what());
  }
}

uint32_t ProductCode(const json& value, const std::string& where) {
  uint64_t code = 0;
  if (value.is_number_unsigned()) {
    code = value.get<uint64_t>();
  } else if (value.is_string()) {
    const std::string text = value.get<std::string>();
    try {
      size_t used = 0;
      code = std::stoull(text, &used, 0);
      if (used != text.size()) throw std::invalid_argument(text);
    } catch (const std::logic_error&) {
      throw JobError(where + ": '" + text + "' is not a number");
    }
  } else {
    throw JobError(where + ": must be a number or a text like \"0x123450\"");
  }
  if (code > UINT32_MAX || LookupProductID(static_cast<uint32_t>(code)) < 0)
    throw JobError(fmt::format("{}: 0x{:X} is not a product code of the device type table", where, code));
  return static_cast<uint32_t>(code);
}
// The loader's report of a file it refuses: its lines, for the job's error.
class UpgradeCheck : public UpgradeMemo {
 public:
  void SetText(const std::string& text) override { lines_ = text; }
  void AddLine(const std::string& text) override { lines_ += (lines_.empty() ? "" : "; ") + text; }
  void EndLine(const std::string& text) override { lines_ += text; }
  void SetFileName(const std::string&) override {}
  void SetFirmwareVersion(const std::string&) override {}
  void SetDescription(const std::string&) override {}
  void SetProgress(int) override {}
  const std::string& Lines() const { return lines_; }

 private:
  std::string lines_;
};

std::shared_ptr<const EffContent> LoadUpgrade(const std::string& path) {
  if (!fs::is_regular_file(path)) throw JobError(path + ": the upgrade file cannot be found");
  auto content = std::make_shared<EffContent>();
  UpgradeCheck check;
  MessageTable messages;
  messages.FillBuiltIn();
  bool accepted = false;
  try {
    accepted = LoadEffFile(path, *content, check, messages, DefaultModelNames());
  } catch (const std::runtime_error& e) {
    throw JobError(path + ": " + e.what());
  }
  if (!accepted) throw JobError(path + ": not an upgrade file that can be sent (" + check.Lines() + ")");
  return content;
}

// A unit would be refused every write of such a value: the job is refused now, naming each.
void RefuseValuesOutOfRange(const ProvisioningJob& job) {
  std::string problems;
  const auto check = [&problems](const TCONFIG_BLOCK& block, const std::string& where) {
    for (const ValueOutOfRange& outside : ValuesOutOfRange(block)) {
      const ConfigField& field = *outside.field.field;
      problems += fmt::format("{}{}{}: {} is outside its range {} to {}", problems.empty() ? "" : "\n", where,
                              FieldPath(outside.field), FormatFieldValue(field, outside.value & ~field.flagBits),
                              FormatFieldValue(field, field.minimum), FormatFieldValue(field, field.maximum));
    }
  };
  check(job.base, job.configPath + ": ");
  for (const UnitOverride& unit : job.overrides.Units())
    check(ApplyOverride(job.base, unit), fmt::format("{} line {}: ", job.overridesPath, unit.line));
  if (!problems.empty()) throw JobError(problems);
}
// The job's night thresholds, each a number (or its text), checked now as LUM.INI's are.
nights::SettingEntries NightThresholds(const json& document, const std::string& path) {
  nights::SettingEntries entries;
  if (!document.contains(kNights)) return entries;
  const json& thresholds = document[kNights];
  if (!thresholds.is_object())
    throw JobError(path + ": \"nights\" must be an object of thresholds like {\"CutCriticalNights\": 3}");
  for (const auto& item : thresholds.items()) {
    if (item.value().is_number())
      entries.emplace_back(item.key(), item.value().dump());
    else if (item.value().is_string())
      entries.emplace_back(item.key(), item.value().get<std::string>());
    else
      throw JobError(fmt::format("{}: \"nights\": \"{}\" must be a number", path, item.key()));
  }
  try {
    nights::ApplyThresholdEntries(nights::Thresholds{}, entries, kNights);
  } catch (const std::invalid_argument& e) {
    throw JobError(path + ": " + e.what());
  }
  return entries;
}

}  // namespace

bool ProvisioningJob::Accepts(uint32_t productCode) const {
  return std::find(products.begin(), products.end(), productCode) != products.end();
}

bool ProvisioningJob::FirmwareTooOld(uint16_t version, uint16_t build) const {
  return minFirmware && FirmwareLevel{version, build} < *minFirmware;
}

TCONFIG_BLOCK ProvisioningJob::BlockFor(uint32_t serialNumber, const TCONFIG_BLOCK& unitBefore) const {
  const UnitOverride* unit = overrides.For(serialNumber);
  TCONFIG_BLOCK block = unit ? ApplyOverride(base, *unit) : base;
  block.SetProductID(unitBefore.ProductID());
  block.SetCapFlags(unitBefore.CapFlags());
  return block;
}

ProvisioningJob LoadJob(const std::string& path) {
  json document;
  try {
    document = json::parse(ReadJobFile(path));
  } catch (const json::exception& e) {
    throw JobError(path + ": " + e.what());
  }
  if (!document.is_object()) throw JobError(path + ": must be a JSON object");
  for (const auto& item : document.items())
    if (!kKnownKeys.count(item.key())) throw JobError(path + ": \"" + item.key() + "\" is not a field of a job");

  ProvisioningJob job;
  job.name = Text(document, kName, path);
  if (job.name.empty()) job.name = fs::path(path).stem().string();
  const std::string config = Text(document, kConfig, path);
  if (config.empty()) throw JobError(path + ": \"config\" (the configuration file) is missing");
  job.configPath = Beside(path, config);
  job.base = ReadConfiguration(job.configPath);
  if (LookupProductID(job.base.ProductID()) < 0)
    throw JobError(job.configPath + ": holds no valid configuration (no device type)");

  if (document.contains(kProducts)) {
    const json& list = document[kProducts];
    if (!list.is_array() || list.empty()) throw JobError(path + ": \"products\" must be a non-empty list");
    for (size_t i = 0; i < list.size(); ++i)
      job.products.push_back(ProductCode(list[i], fmt::format("{}: products[{}]", path, i)));
  } else {
    job.products.push_back(job.base.ProductID());
  }

  const std::string firmware = Text(document, kMinFirmware, path);
  if (!firmware.empty()) {
    job.minFirmware = ParseFirmwareLevel(firmware);
    if (!job.minFirmware)
      throw JobError(path + ": \"minFirmware\": '" + firmware + "' is not a version like 1.2.3 or 1.2.3.7");
  }

  job.upgradePath = Beside(path, Text(document, kUpgrade, path));
  if (!job.upgradePath.empty()) {
    if (!job.minFirmware) throw JobError(path + ": \"upgrade\" needs \"minFirmware\", the units it is for");
    job.upgrade = LoadUpgrade(job.upgradePath);
    const FirmwareLevel installs{job.upgrade->Version, job.upgrade->Build};
    if (installs < *job.minFirmware)
      throw JobError(fmt::format("{}: installs firmware {}, older than \"minFirmware\" {}", job.upgradePath,
                                 FormatFirmware(installs.version, installs.build),
                                 FormatFirmware(job.minFirmware->version, job.minFirmware->build)));
  }

  job.nightThresholds = NightThresholds(document, path);
  job.overridesPath = Beside(path, Text(document, kOverrides, path));
  if (!job.overridesPath.empty()) {
    job.overrides = Overrides::Load(job.overridesPath);
    for (const UnitOverride& unit : job.overrides.Units())
      ApplyOverride(job.base, unit, fmt::format("{} line {}: ", job.overridesPath, unit.line));
  }
  RefuseValuesOutOfRange(job);
  return job;
}

std::string ConfigHash(const TCONFIG_BLOCK& block) { return Sha256Hex(block.data(), block_layout::kSize); }

}  // namespace lum
