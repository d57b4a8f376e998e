#include "provision/UnitChecks.h"

#include <fmt/format.h>

#include "data/CommandCodes.h"
#include "data/NumberFormats.h"

namespace lum {

std::optional<std::string> RefusalReason(const ProvisioningJob& job, const TDEVICE_CONFIG& unit) {
  const uint32_t product = unit.Config.ProductID();
  if (!job.Accepts(product)) return fmt::format("product 0x{:06X} is not one of the job's", product);
  if (job.FirmwareTooOld(unit.FirmwareVersion, unit.FirmwareBuild))
    return fmt::format("firmware {} is older than {}", FormatFirmware(unit.FirmwareVersion, unit.FirmwareBuild),
                       FormatFirmware(job.minFirmware->version, job.minFirmware->build));
  return std::nullopt;
}

bool NeedsUpgrade(const ProvisioningJob& job, const TDEVICE_CONFIG& unit) {
  return job.upgrade != nullptr && job.Accepts(unit.Config.ProductID()) &&
         job.FirmwareTooOld(unit.FirmwareVersion, unit.FirmwareBuild);
}

std::string FieldPath(const FieldRef& f) {
  const std::string channel = fmt::format("Channels[0][{}].", f.channel);
  switch (f.field->scope) {
    case FieldScope::Block:
      return f.field->name;
    case FieldScope::Channel:
      return channel + f.field->name;
    case FieldScope::Timing:
      return fmt::format("{}Timing[{}].{}", channel, f.segment, f.field->name);
    case FieldScope::Timing2:
      return fmt::format("{}Timing2[{}].{}", channel, f.segment, f.field->name);
  }
  return f.field->name;
}

std::vector<std::string> ReadBackMismatches(const TCONFIG_BLOCK& written, const TCONFIG_BLOCK& readBack) {
  std::vector<std::string> mismatches;
  for (const WriteRequest& request : PlanWrite(written))
    for (const SentField& sent : request.fields) {
      if (sent.field.field->command == command::kTemperature) continue;
      const uint16_t held = ReadField(readBack, sent.field);
      if (held != sent.value)
        mismatches.push_back(fmt::format("{}: wrote {}, holds {}", FieldPath(sent.field), sent.value, held));
    }
  return mismatches;
}

}  // namespace lum
