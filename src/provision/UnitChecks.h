#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/DeviceConfig.h"
#include "device/WritePlan.h"
#include "provision/Job.h"

namespace lum {

/// Why the job does not fit the unit (its product is not accepted, its firmware is older than
/// the job's minimum), or nullopt when it does.
std::optional<std::string> RefusalReason(const ProvisioningJob& job, const TDEVICE_CONFIG& unit);

/// The job's upgrade file is to be installed on the unit first: its product is accepted and
/// its firmware older than the job's minimum.
bool NeedsUpgrade(const ProvisioningJob& job, const TDEVICE_CONFIG& unit);

/// A field as the configuration's JSON names it ("BattOVP", "Channels[0][1].CC",
/// "Channels[0][0].Timing[4].Minutes"), the name the overrides file uses too.
std::string FieldPath(const FieldRef& field);

/// The fields written to the unit that its read-back does not hold, as "path: wrote W, holds H".
/// Every field the write sends is compared, but the over-temperature limit, which a
/// configuration read does not fetch.
std::vector<std::string> ReadBackMismatches(const TCONFIG_BLOCK& written, const TCONFIG_BLOCK& readBack);

}  // namespace lum
