#include "provision/RecordExport.h"

#include <fmt/format.h>

#include <utility>

#include "base/HexText.h"
#include "data/CsvCell.h"
#include "data/NumberFormats.h"

namespace lum {

namespace {

using store::CommissioningRecord;
constexpr int kJsonIndent = 2;
constexpr char kSpooledKey[] = "spooled";

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
          {"attempt_id", r.attemptId},
          {"model_bytes", Hex(r.modelBytes)}};
}

}  // namespace

std::string RecordsCsvHeader() {
  std::string line;
  for (const auto& [name, cell] : Columns(CommissioningRecord{})) line += std::string(name) + ",";
  return line + kSpooledKey + "\n";
}

std::string RecordCsvLine(const CommissioningRecord& record, bool spooled) {
  std::string line;
  for (const auto& [name, cell] : Columns(record)) line += CsvCell(cell) + ",";
  return line + (spooled ? "true" : "false") + "\n";
}

std::string RecordsCsv(const std::vector<CommissioningRecord>& records) {
  std::string text = RecordsCsvHeader();
  for (const CommissioningRecord& r : records) text += RecordCsvLine(r);
  return text;
}

nlohmann::ordered_json RecordJson(const CommissioningRecord& record, bool spooled) {
  nlohmann::ordered_json row;
  for (const auto& [name, cell] : Columns(record)) row[name] = cell;
  row["duration_ms"] = record.durationMs;
  row[kSpooledKey] = spooled;
  return row;
}

std::string JsonText(const nlohmann::ordered_json& value, int indent) {
  return value.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string RecordsJson(const std::vector<CommissioningRecord>& records) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const CommissioningRecord& r : records) list.push_back(RecordJson(r));
  return JsonText(list, kJsonIndent) + '\n';
}

}  // namespace lum
