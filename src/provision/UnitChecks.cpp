#include "provision/UnitChecks.h"

#include <fmt/format.h>

#include "data/NumberFormats.h"

namespace lum {

std::optional<std::string> RefusalReason(const ProvisioningJob& job, const TDEVICE_CONFIG& unit) {
  const uint32_t product = unit.Config.ProductID();
  if (!job.Accepts(product)) return fmt::format("product 0x{:06X} is not one of the job's", product);
  const FirmwareLevel level{unit.FirmwareVersion, unit.FirmwareBuild};
  if (job.minFirmware && level < *job.minFirmware) {
    std::string reason = fmt::format("firmware {} is older than {}", FormatFirmware(level.version, level.build),
                                     FormatFirmware(job.minFirmware->version, job.minFirmware->build));
    if (!job.upgradePath.empty()) reason += "; install " + job.upgradePath + " first";
    return reason;
  }
  return std::nullopt;
}

std::string FieldPath(const FieldRef& f) {
  const std::string channel = fmt::format("Channels[0][{}]", f.channel);
  switch (f.id) {
    case FieldId::OTP:
      return "OTP";
    case FieldId::SCDelay:
      return "SCDelay";
    case FieldId::SCV:
      return "SCV";
    case FieldId::BattOVP:
      return "BattOVP";
    case FieldId::BattFCV:
      return "BattFCV";
    case FieldId::BattUVP:
      return "BattUVP";
    case FieldId::BattUVR:
      return "BattUVR";
    case FieldId::CV:
      return channel + ".CV";
    case FieldId::CC:
      return channel + ".CC";
    case FieldId::Mode:
      return channel + ".Mode";
    case FieldId::Minutes:
      return fmt::format("{}.Timing[{}].Minutes", channel, f.segment);
    case FieldId::Power:
      return fmt::format("{}.Timing[{}].Power", channel, f.segment);
    case FieldId::FuncFlags:
      return "FuncFlags";
    case FieldId::Address:
      return "Address";
  }
  return "?";
}

std::vector<std::string> ReadBackMismatches(const TCONFIG_BLOCK& written, const TCONFIG_BLOCK& readBack) {
  std::vector<std::string> mismatches;
  for (const WriteRequest& request : PlanWrite(written))
    for (const SentField& sent : request.fields) {
      if (sent.field.id == FieldId::OTP) continue;
      const uint16_t held = ReadField(readBack, sent.field);
      if (held != sent.value)
        mismatches.push_back(fmt::format("{}: wrote {}, holds {}", FieldPath(sent.field), sent.value, held));
    }
  return mismatches;
}

}  // namespace lum
