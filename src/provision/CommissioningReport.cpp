#include "provision/CommissioningReport.h"

#include <algorithm>
#include <map>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"
#include "data/NumberFormats.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "language/LanguageKeys.h"
#include "language/MessageSlots.h"

namespace lum {

namespace {

using store::CommissioningRecord;

std::string FieldText(const TCONFIG_BLOCK& block, FieldId id) {
  const ConfigField& field = Field(id);
  return FormatFieldValue(field, ReadValue(block, field));
}

std::string Named(const std::vector<std::string>& names, size_t index) {
  return index < names.size() ? names[index] : std::string();
}

std::array<std::string, 4> KeyValues(const CommissioningRecord& record, const ReportTexts& texts) {
  const store::Blob& bytes = record.after.empty() ? record.before : record.after;
  if (bytes.size() != block_layout::kSize) return {};
  TCONFIG_BLOCK block;
  std::copy(bytes.begin(), bytes.end(), block.bytes().begin());
  const uint8_t mode = block.Channel(0, 0).Mode() & block_bits::kWorkModeMask;
  return {Named(texts.batteryTypes, static_cast<size_t>(MatchingBatteryType(block))),
          FieldText(block, FieldId::BattUVP), FieldText(block, FieldId::SCV), Named(texts.workModes, mode)};
}

}  // namespace

ReportTexts ReportTextsFrom(const MessageTable& messages, const ProfileFile& language) {
  ReportTexts texts;
  texts.title = messages.Text(msg::kReportTitle);
  texts.job = messages.Text(msg::kReportJob);
  texts.printed = messages.Text(msg::kReportPrinted);
  texts.page = messages.Text(msg::kReportPage);
  for (size_t i = 0; i < texts.columns.size(); ++i)
    texts.columns[i] = messages.Text(msg::kReportSerial + static_cast<int>(i));
  for (size_t i = 0; i < texts.keyColumns.size(); ++i)
    texts.keyColumns[i] = messages.Text(msg::kReportBattery + static_cast<int>(i));
  texts.replug = messages.Text(msg::kReportReplug);
  texts.nothingToReplug = messages.Text(msg::kReportNoReplug);
  for (size_t i = 0; i < texts.outcomes.size(); ++i)
    texts.outcomes[i] = messages.Text(msg::kReportOutcomeDone + static_cast<int>(i));
  for (const TBATTERY_TYPES& type : BatteryTypes())
    texts.batteryTypes.push_back(
        language.ReadOr(language_keys::kBatteryDescription, BatteryDescriptionKey(type.Code), type.DefaultName));
  for (int mode = 0; mode < kWorkModeCount; ++mode)
    texts.workModes.push_back(
        language.ReadOr(language_keys::kWorkMode, WorkModeKey(mode), WorkModeNames()[static_cast<size_t>(mode)]));
  return texts;
}

std::vector<ReportLine> ReportLines(const std::vector<CommissioningRecord>& records, const ReportTexts& texts) {
  std::map<uint32_t, size_t> latest;  // serial number -> its latest attempt
  for (size_t i = 0; i < records.size(); ++i) latest[records[i].serialNumber] = i;
  std::vector<size_t> order;
  order.reserve(latest.size());
  for (const auto& [serial, index] : latest) order.push_back(index);
  std::sort(order.begin(), order.end());

  std::vector<ReportLine> lines;
  lines.reserve(order.size());
  for (size_t index : order) {
    const CommissioningRecord& r = records[index];
    lines.push_back({FormatSerial(r.serialNumber), r.model, FormatFirmware(r.firmwareVersion, r.firmwareBuild),
                     texts.outcomes.at(static_cast<size_t>(r.result)), r.timeUtc, r.job, KeyValues(r, texts),
                     r.result});
  }
  return lines;
}

}  // namespace lum
