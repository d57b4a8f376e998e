// lumctl records report: the commissioning report of a batch and its units' labels.
#include "cli/RecordsReport.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "base/AtomicFile.h"
#include "base/TimeStamp.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/DatabaseOption.h"
#include "provision/ReportPdf.h"
#include "store/RecordStore.h"

namespace lum::cli {

namespace {

struct ReportOptions {
  std::string db, job, since, report, labels;
};

void MakeReport(const ReportOptions& options) {
  store::RecordFilter filter;
  if (!options.job.empty()) filter.job = options.job;
  if (!options.since.empty()) {
    const auto since = ParseUtcStamp(options.since);
    if (!since) {
      std::cerr << "--since: expected a UTC time like 2026-12-08 or 2026-12-08T14:00\n";
      throw CLI::RuntimeError(kExitBadInput);
    }
    filter.sinceUtc = UtcStamp(*since);
  }
  const CliContext context;
  const ReportTexts texts = ReportTextsFrom(context.Messages(), context.Language());
  try {
    const auto lines = ReportLines(
        store::OpenRecordStore(context.DataDir(), ExistingDatabase(options.db), store::RecordStore::Use::Reader)
            ->Records(filter),
        texts);
    if (!options.report.empty())
      WriteFileAtomically(options.report, ReportPdf(lines, texts, UtcStamp().substr(0, 16) + " UTC"));
    if (!options.labels.empty()) WriteFileAtomically(options.labels, LabelsPdf(lines, texts));
    std::cout << lines.size() << " units\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
}

}  // namespace

void AddReportCommand(CLI::App& records) {
  auto* command = records.add_subcommand(
      "report", "The commissioning report (one line per unit, the units to plug again) and unit labels as PDF");
  auto options = std::make_shared<ReportOptions>();
  command->add_option("--db", options->db, kDatabaseOptionHelp);
  command->add_option("--job", options->job, "Only this job");
  command->add_option("--since", options->since, "Only attempts at or after this UTC time (2026-12-08T14:00)");
  command->add_option("--pdf", options->report, "Write the report to this PDF file");
  command->add_option("--labels", options->labels, "Write a label per commissioned unit to this PDF file");
  command->callback([options] {
    if (options->report.empty() && options->labels.empty()) {
      std::cerr << "records report: give --pdf FILE, --labels FILE or both\n";
      throw CLI::RuntimeError(kExitBadInput);
    }
    MakeReport(*options);
  });
}

}  // namespace lum::cli
