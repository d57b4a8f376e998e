// lumctl recordings: the polls recorded by the window's monitor and lumctl monitor --db.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "base/AsciiText.h"
#include "base/TimeStamp.h"
#include "cli/Command.h"
#include "cli/DatabaseOption.h"
#include "data/PollCsv.h"
#include "store/Recordings.h"

namespace lum::cli {

namespace {

struct Options {
  std::string db;
  std::string serial;
  std::string since;
  bool csv = false;
  bool json = false;
};

std::string UtcText(int64_t ms) {
  return UtcStamp(std::chrono::system_clock::time_point{std::chrono::milliseconds(ms)});
}

void Run(const Options& options) {
  store::RecordingFilter filter;
  if (!options.serial.empty()) filter.serial = options.serial;
  if (!options.since.empty()) {
    const auto since = ParseUtcStamp(options.since);
    if (!since) {
      std::cerr << "--since: '" << options.since << "' is not a UTC time like 2026-12-08 or 2026-12-08T14:00\n";
      throw CLI::RuntimeError(kExitBadInput);
    }
    filter.sinceMs = std::chrono::duration_cast<std::chrono::milliseconds>(since->time_since_epoch()).count();
  }
  const std::string target = ExistingDatabase(options.db);
  try {
    const auto db = store::OpenDatabase(target, store::OpenCheck::None);
    store::Recordings recordings(*db);
    if (options.csv) {
      std::cout << PollCsvHeader() << '\n';
      recordings.Export(filter, [](const std::string& serial, const PollSample& sample) {
        std::cout << PollCsvRow(serial, sample) << '\n';
      });
      return;
    }
    const auto list = recordings.List(filter);
    if (options.json) {
      // For scripts: one object per recording and line, the times in UTC.
      for (const store::RecordingInfo& info : list) {
        nlohmann::ordered_json line;
        line["id"] = info.id;
        line["serial_number"] = info.serial;
        line["first"] = UtcText(info.firstMs);
        line["last"] = UtcText(info.lastMs);
        line["polls"] = info.polls;
        std::cout << line.dump() << '\n';
      }
      return;
    }
    for (const store::RecordingInfo& info : list)
      fmt::print("{}  {}  {} .. {}  {}\n", info.id, info.serial, UtcText(info.firstMs), UtcText(info.lastMs),
                 CountOf(static_cast<size_t>(info.polls), "poll", "polls"));
    fmt::print("{}\n", CountOf(list.size(), "recording", "recordings"));
  } catch (const store::DatabaseError& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto options = std::make_shared<Options>();
  auto* command = app.add_subcommand("recordings", "List the monitor's recordings, or export their polls as CSV");
  command->add_option("--db", options->db, kDatabaseOptionHelp);
  command->add_option("--serial", options->serial, "Only this controller's (serial number as lumctl scan shows it)");
  command
      ->add_option("--since", options->since, "Only polls at or after this UTC time (2026-12-08 or 2026-12-08T14:00)")
      ->type_name("TIME");
  auto* csv = command->add_flag("--csv", options->csv,
                                "Every poll: serial, UTC time, values in V, A, °C (power-on as h:mm:ss)");
  command->add_flag("--json", options->json, "The list as one JSON object per recording and line")->excludes(csv);
  command->callback([options] { Run(*options); });
});

}  // namespace

}  // namespace lum::cli
