#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
#include "nights/ThresholdSettings.h"
#include "provision/Firmware.h"
#include "provision/JobError.h"
#include "provision/Overrides.h"
#include "upgrade/EffContent.h"

namespace lum {

/// A provisioning job: what every unit of a bench gets and which units may get it. Read from
/// a JSON file:
///
///   { "name": "street-2026",            optional, default: the file name without extension
///     "config": "night-profile.LUM",     a .LUM file, or lumctl's JSON (show --json)
///     "overrides": "sites.csv",          optional, per-unit values by serial number
///     "products": ["0x123450"],          optional, default: the configuration's product code
///     "minFirmware": "1.2.3",            optional ("1.2.3" or "1.2.3.7")
///     "upgrade": "firmware.eff",         optional: installed first on units older than minFirmware
///     "nights": {"CutCriticalNights": 2} } optional: the alarms' thresholds for the job's units,
///                                        the keys of LUM.INI's [Nights]
///
/// File names are relative to the job file's folder.
struct ProvisioningJob {
  std::string name;
  std::string configPath;
  std::string overridesPath;                  // empty without overrides
  std::string upgradePath;                    // empty without an upgrade file
  std::shared_ptr<const EffContent> upgrade;  // the upgrade file, loaded and accepted
  TCONFIG_BLOCK base;
  std::vector<uint32_t> products;
  std::optional<FirmwareLevel> minFirmware;
  Overrides overrides;
  nights::SettingEntries nightThresholds;  // as a [Nights] section

  bool Accepts(uint32_t productCode) const;
  /// The unit's firmware is older than the job's minimum.
  bool FirmwareTooOld(uint16_t version, uint16_t build) const;
  /// The block written to a unit: the job's configuration with the unit's overrides, carrying
  /// the unit's own product code and capability byte (which no write changes).
  TCONFIG_BLOCK BlockFor(uint32_t serialNumber, const TCONFIG_BLOCK& unitBefore) const;
};

/// Reads and checks a job file and every file it names (each override applied once, so that
/// a bad value is reported now, not at the bench). Throws JobError.
ProvisioningJob LoadJob(const std::string& path);

/// The hash recorded for a written block (SHA-256 of its 1760 bytes, hex).
std::string ConfigHash(const TCONFIG_BLOCK& block);

}  // namespace lum
