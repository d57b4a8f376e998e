#include "provision/RecordExport.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <utility>

#include "base/HexText.h"
#include "data/CsvCell.h"
#include "data/NumberFormats.h"

namespace lum {

namespace {

using store::CommissioningRecord;
constexpr int kJsonIndent = 2;

std::string Hex(const store::Blob& bytes) { return HexText(bytes.data(), bytes.size()); }

// Name and text of each exported column, in order.
std::vector<std::pair<const char*, std::string>> Columns(const CommissioningRecord& r) {
  return {{"time_utc", r.timeUtc},
          {"bench", r.bench},
          {"operator", r.operatorName},
          {"port", r.port},
          {"job", r.job},
          {"config_hash", r.configHash},
          {"model", r.model},
          {"serial", FormatSerial(r.serialNumber)},
          {"firmware", FormatFirmware(r.firmwareVersion, r.firmwareBuild)},
          {"batch", FormatBatch(r.batchCode)},
          {"product", fmt::format("0x{:06X}", r.productCode)},
          {"result", store::OutcomeText(r.result)},
          {"reason", r.reason},
          {"duration_ms", std::to_string(r.durationMs)},
          {"before", Hex(r.before)},
          {"after", Hex(r.after)},
          {"attempt_id", r.attemptId}};
}

}  // namespace

std::string RecordsCsv(const std::vector<CommissioningRecord>& records) {
  std::string text;
  std::string line;
  for (const auto& [name, cell] : Columns(CommissioningRecord{})) line += (line.empty() ? "" : ",") + std::string(name);
  text += line + '\n';
  for (const CommissioningRecord& r : records) {
    line.clear();
    for (const auto& [name, cell] : Columns(r)) line += (line.empty() ? "" : ",") + CsvCell(cell);
    text += line + '\n';
  }
  return text;
}

std::string RecordsJson(const std::vector<CommissioningRecord>& records) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const CommissioningRecord& r : records) {
    nlohmann::ordered_json row;
    for (const auto& [name, cell] : Columns(r)) row[name] = cell;
    row["duration_ms"] = r.durationMs;
    list.push_back(row);
  }
  return list.dump(kJsonIndent) + '\n';
}

}  // namespace lum
