// lumctl records: lists and exports the commissioning records, makes their table ready and
// checks that none was changed.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "base/AsciiText.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/DatabaseOption.h"
#include "cli/RecordsReport.h"
#include "data/NumberFormats.h"
#include "language/DeviceText.h"
#include "provision/RecordExport.h"
#include "store/RecordChain.h"
#include "store/RecordSchema.h"
#include "store/RecordStore.h"

namespace lum::cli {

namespace {

using store::CommissioningRecord;
constexpr size_t kDateLength = 10;  // yyyy-mm-dd
constexpr int kJsonIndent = 2;

struct Options {
  std::string db, job, since, result;
  bool csv = false, json = false;
};

enum class Format { People, Csv, Json };

// Each record as it arrives, so that a long list never sits whole in memory.
class RecordPrinter {
 public:
  explicit RecordPrinter(Format format) : format_(format) {
    if (format_ == Format::Csv) std::fputs(RecordsCsvHeader().c_str(), stdout);
    if (format_ == Format::Json) std::fputs("[", stdout);
  }
  void Print(const CommissioningRecord& r, bool spooled) {
    switch (format_) {
      case Format::Csv:
        std::fputs(RecordCsvLine(r, spooled).c_str(), stdout);
        break;
      case Format::Json:
        fmt::print("{}\n{}", first_ ? "" : ",", JsonText(RecordJson(r, spooled), kJsonIndent));
        break;
      case Format::People:
        fmt::print("{}\n",
                   TerminalText(fmt::format("{}  {}  {}  {}  {}  {}  {}  {}  {}{} ms{}", r.timeUtc, r.bench, r.port,
                                            r.job, FormatSerial(r.serialNumber), r.model,
                                            FormatFirmware(r.firmwareVersion, r.firmwareBuild),
                                            store::OutcomeText(r.result), r.reason.empty() ? "" : r.reason + "  ",
                                            r.durationMs, spooled ? "  (spooled, not yet on the server)" : "")));
        break;
    }
    first_ = false;
  }
  void End(const store::RecordStore::Listing& listing, const std::string& target) {
    if (format_ == Format::Json) std::fputs("\n]\n", stdout);
    if (format_ != Format::People) return;
    fmt::print("{}\n", CountOf(listing.stored + listing.spooled, "record", "records"));
    if (listing.spooled > 0) fmt::print("{} of them wait in the spool for {}\n", listing.spooled, target);
  }

 private:
  Format format_;
  bool first_ = true;
};

// Ends the command on a database failure: a server refusing the login is a wrong --db.
[[noreturn]] void Fail(const store::DatabaseError& e) {
  std::cerr << e.what() << '\n';
  throw CLI::RuntimeError(e.Kind() == store::Failure::LoginRefused ? kExitBadInput : kExitFailed);
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
  RecordPrinter printer(options.csv ? Format::Csv : options.json ? Format::Json : Format::People);
  store::RecordStore::Listing listing;
  std::unique_ptr<store::RecordStore> records;
  try {
    records = store::OpenRecordStore(CliContext().DataDir(), target, store::RecordStore::Use::Reader);
    listing = records->List(filter, [&](const CommissioningRecord& r, bool spooled) { printer.Print(r, spooled); });
  } catch (const store::DatabaseError& e) {
    Fail(e);
  }
  printer.End(listing, records->ShownTarget());
  if (!listing.serverReached) {
    std::cerr << "The records server cannot be reached; only the records waiting in the spool are shown: "
              << records->ServerProblem() << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
}

void InitRecords(const std::string& db) {
  const std::string target = store::DatabaseTarget(CliContext().DataDir(), db);
  try {
    const auto database = store::OpenDatabase(target);
    const store::SchemaChange change = store::PrepareRecordTable(*database);
    if (change.from == change.to)
      fmt::print("{}: the commissioning records are ready (version {})\n", target, change.to);
    else if (change.from == 0)
      fmt::print("{}: the commissioning records table was made (version {})\n", target, change.to);
    else
      fmt::print("{}: the commissioning records were migrated from version {} to {}\n", target, change.from, change.to);
  } catch (const store::DatabaseError& e) {
    Fail(e);
  }
}

std::string BreakText(const store::ChainBreak& found) {
  std::string record = fmt::format("record {} (attempt {} of {})", found.position, found.attemptId, found.timeUtc);
  switch (found.kind) {
    case store::ChainBreak::Kind::Changed:
      return record + " was changed after it was written";
    case store::ChainBreak::Kind::Removed:
      return "the record written before " + record + " was removed";
    case store::ChainBreak::Kind::Inserted:
      return record + " was inserted: no bench wrote it there";
  }
  return record;
}

void VerifyRecords(const std::string& db) {
  const std::string target = ExistingDatabase(db);
  store::ChainCheck check;
  try {
    const auto database = store::OpenDatabase(target);
    store::PrepareRecordTable(*database);
    check = store::VerifyChain(*database);
  } catch (const store::DatabaseError& e) {
    Fail(e);
  }
  if (check.firstBreak) {
    std::cerr << target << ": " << BreakText(*check.firstBreak) << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
  fmt::print("{}: {} records, none changed, removed or inserted\n", target, check.rows);
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
  command->callback([command, options] {
    if (command->get_subcommands().empty()) ListRecords(*options);
  });

  auto initDb = std::make_shared<std::string>();
  auto* init =
      command->add_subcommand("init", "Make the records table, or migrate an older one (run by the database's owner)");
  init->add_option("--db", *initDb, kDatabaseOptionHelp);
  init->callback([initDb] { InitRecords(*initDb); });

  auto verifyDb = std::make_shared<std::string>();
  auto* verify =
      command->add_subcommand("verify", "Check that no record was changed, removed or inserted since it was written");
  verify->add_option("--db", *verifyDb, kDatabaseOptionHelp);
  verify->callback([verifyDb] { VerifyRecords(*verifyDb); });
});

}  // namespace

}  // namespace lum::cli
