// lumctl records: lists and exports the commissioning records.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/DatabaseOption.h"
#include "cli/RecordsReport.h"
#include "data/NumberFormats.h"
#include "language/DeviceText.h"
#include "provision/RecordExport.h"
#include "store/RecordStore.h"

namespace lum::cli {

namespace {

using store::CommissioningRecord;
constexpr size_t kDateLength = 10;  // yyyy-mm-dd

struct Options {
  std::string db, job, since, result;
  bool csv = false, json = false;
};

void PrintForPeople(const std::vector<CommissioningRecord>& records) {
  for (const CommissioningRecord& r : records)
    fmt::print("{}\n", TerminalText(fmt::format("{}  {}  {}  {}  {}  {}  {}  {}  {}{}", r.timeUtc, r.bench, r.port,
                                                r.job, FormatSerial(r.serialNumber), r.model,
                                                FormatFirmware(r.firmwareVersion, r.firmwareBuild),
                                                store::OutcomeText(r.result), r.reason.empty() ? "" : r.reason + "  ",
                                                fmt::format("{} ms", r.durationMs))));
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
  const std::string target = ExistingDatabase(options.db);
  std::vector<CommissioningRecord> records;
  try {
    records = store::OpenRecordStore(CliContext().Directory(), target)->Records(filter);
  } catch (const store::DatabaseError& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
  if (options.csv)
    std::cout << RecordsCsv(records);
  else if (options.json)
    std::cout << RecordsJson(records);
  else
    PrintForPeople(records);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("records", "List or export the commissioning records");
  auto options = std::make_shared<Options>();
  command->add_option("--db", options->db, kDatabaseOptionHelp);
  command->add_option("--job", options->job, "Only this job");
  command
      ->add_option("--since", options->since,
                   "Only attempts at or after this UTC time (2026-12-08 or 2026-12-08T14:00)")
      ->type_name("TIME")
      ->check([](const std::string& text) {
        const bool date = text.size() >= kDateLength && text[4] == '-' && text[7] == '-';
        return date ? std::string() : "expected a UTC time like 2026-12-08 or 2026-12-08T14:00";
      });
  command->add_option("--result", options->result,
                      "Only this result: done, failed, refused, interrupted, \"already done\"");
  auto* csv = command->add_flag("--csv", options->csv, "Comma-separated values with every field");
  command->add_flag("--json", options->json, "JSON with every field")->excludes(csv);
  AddReportCommand(*command);
  command->callback([options, command] {
    if (command->get_subcommands().empty()) ListRecords(*options);
  });
});

}  // namespace

}  // namespace lum::cli
