// lumctl records: lists and exports the commissioning records.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/Command.h"
#include "cli/Commissioning.h"
#include "data/NumberFormats.h"

namespace lum::cli {

namespace {

using store::CommissioningRecord;
constexpr size_t kDateLength = 10;  // yyyy-mm-dd

struct Options {
  std::string db, job, since, result;
  bool csv = false, json = false;
};

std::string Hex(const store::Blob& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) text += fmt::format("{:02X}", byte);
  return text;
}

// Quoted when it holds a separator, a quote or a line break.
std::string CsvCell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

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

void PrintCsv(const std::vector<CommissioningRecord>& records) {
  const CommissioningRecord empty;
  std::string header;
  for (const auto& [name, text] : Columns(empty)) header += (header.empty() ? "" : ",") + std::string(name);
  std::cout << header << '\n';
  for (const CommissioningRecord& r : records) {
    std::string line;
    for (const auto& [name, text] : Columns(r)) line += (line.empty() ? "" : ",") + CsvCell(text);
    std::cout << line << '\n';
  }
}

void PrintJson(const std::vector<CommissioningRecord>& records) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const CommissioningRecord& r : records) {
    nlohmann::ordered_json row;
    for (const auto& [name, text] : Columns(r)) row[name] = text;
    row["duration_ms"] = r.durationMs;
    list.push_back(row);
  }
  std::cout << list.dump(2) << '\n';
}

void PrintForPeople(const std::vector<CommissioningRecord>& records) {
  for (const CommissioningRecord& r : records)
    fmt::print("{}  {}  {}  {}  {}  {}  {}  {}  {}{}\n", r.timeUtc, r.bench, r.port, r.job,
               FormatSerial(r.serialNumber), r.model, FormatFirmware(r.firmwareVersion, r.firmwareBuild),
               store::OutcomeText(r.result), r.reason.empty() ? "" : r.reason + "  ",
               fmt::format("{} ms", r.durationMs));
  fmt::print("{} records\n", records.size());
}

void ListRecords(const Options& options) {
  store::RecordFilter filter;
  if (!options.job.empty()) filter.job = options.job;
  if (!options.since.empty()) {
    filter.sinceUtc = options.since;
    if (filter.sinceUtc->size() > kDateLength && (*filter.sinceUtc)[kDateLength] == ' ')
      (*filter.sinceUtc)[kDateLength] = 'T';  // as stored
  }
  if (!options.result.empty()) {
    filter.result = store::OutcomeFromText(options.result);
    if (!filter.result) {
      std::cerr << "--result: '" << options.result
                << "' is not one of done, failed, refused, interrupted, \"already done\"\n";
      throw CLI::RuntimeError(kExitBadInput);
    }
  }
  std::vector<CommissioningRecord> records;
  try {
    records = OpenRecords(CliContext(), options.db)->Records(filter);
  } catch (const store::DatabaseError& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
  if (options.csv)
    PrintCsv(records);
  else if (options.json)
    PrintJson(records);
  else
    PrintForPeople(records);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("records", "List or export the commissioning records");
  auto options = std::make_shared<Options>();
  command->add_option("--db", options->db, "SQLite file or postgresql:// URL (default: commissioning.db here)");
  command->add_option("--job", options->job, "Only this job");
  command
      ->add_option("--since", options->since,
                   "Only attempts at or after this UTC time (2026-12-08 or 2026-12-08T14:00)")
      ->check([](const std::string& text) {
        const bool date = text.size() >= kDateLength && text[4] == '-' && text[7] == '-';
        return date ? std::string() : "expected a UTC time like 2026-12-08 or 2026-12-08T14:00";
      });
  command->add_option("--result", options->result,
                      "Only this result: done, failed, refused, interrupted, \"already done\"");
  auto* csv = command->add_flag("--csv", options->csv, "Comma-separated values with every field");
  command->add_flag("--json", options->json, "JSON with every field")->excludes(csv);
  command->callback([options] { ListRecords(*options); });
});

}  // namespace

}  // namespace lum::cli
