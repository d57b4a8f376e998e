// lumctl nights: each night of the recordings, per controller, with what the lamp did.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/NightsAnalysis.h"
#include "data/CsvCell.h"
#include "language/MessageSlots.h"

namespace lum::cli {

namespace {

struct Options {
  NightsOptions nights;
  bool csv = false;
  bool json = false;
};

const char* OffKey(nights::OffReason reason) {
  switch (reason) {
    case nights::OffReason::StillOn:
      return "dawn";
    case nights::OffReason::ProfileEnd:
      return "programme";
    case nights::OffReason::LowVoltage:
      return "low-voltage";
    case nights::OffReason::Unknown:
      break;
  }
  return "unknown";
}

std::string Volts(const std::optional<double>& v) { return v ? fmt::format("{:.2f}", *v) : std::string(); }
std::string TimeOr(const std::optional<int64_t>& ms) { return ms ? UtcText(*ms) : std::string(); }

void PrintJson(const std::string& serial, const nights::Night& n, const std::string& result) {
  nlohmann::ordered_json line;
  line["serial_number"] = serial;
  line["dusk"] = UtcText(n.duskMs);
  line["dawn"] = UtcText(n.dawnMs);
  line["known"] = n.known;
  line["result"] = result;
  if (n.known) {
    line["load_on"] = TimeOr(n.loadOnMs);
    line["load_off"] = TimeOr(n.loadOffMs);
    line["off_reason"] = OffKey(n.offReason);
    line["lit_minutes"] = n.litMinutes;
    line["mean_current_a"] = n.meanCurrentA;
    line["ampere_hours"] = n.ampereHours;
    if (n.endBatteryV) line["end_battery_v"] = *n.endBatteryV;
    if (n.nextDayPeakV) line["next_day_peak_v"] = *n.nextDayPeakV;
    line["solar_rose"] = n.solarRose;
  }
  std::cout << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void Run(const Options& options) {
  const CliContext context;
  const auto all = ReadNights(options.nights, RulesOf(options.nights));
  if (options.csv)
    std::cout << "serial,dusk_utc,dawn_utc,result,load_on_utc,load_off_utc,off_reason,lit_minutes,ampere_hours,"
                 "end_battery_v,next_day_peak_v\n";
  size_t count = 0;
  for (const auto& [serial, controller] : all) {
    for (const nights::Night& n : controller.nights) {
      ++count;
      const auto result = static_cast<int>(nights::ResultOf(n));
      const std::string word = context.Messages().Text(msg::kNightResult + result);
      if (options.json) {
        PrintJson(serial, n, word);
      } else if (options.csv) {
        std::cout << fmt::format("{},{},{},{},{},{},{},{:.1f},{:.3f},{},{}\n", CsvCell(serial), UtcText(n.duskMs),
                                 UtcText(n.dawnMs), CsvCell(word), TimeOr(n.loadOnMs), TimeOr(n.loadOffMs),
                                 OffKey(n.offReason), n.litMinutes, n.ampereHours, Volts(n.endBatteryV),
                                 Volts(n.nextDayPeakV));
      } else {
        fmt::print("{}  {} .. {}  {:>5.0f} min  {:>6.2f} Ah  {:>5} V  {}\n", PrintableText(serial), UtcText(n.duskMs),
                   UtcText(n.dawnMs), n.litMinutes, n.ampereHours, Volts(n.endBatteryV), word);
      }
    }
  }
  if (!options.json && !options.csv) fmt::print("{} nights\n", count);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto options = std::make_shared<Options>();
  auto* command =
      app.add_subcommand("nights", "Each night of the recordings: when the lamp was on, Ah, why it went off");
  AddNightsOptions(*command, options->nights);
  auto* csv = command->add_flag("--csv", options->csv, "One CSV row per night");
  command->add_flag("--json", options->json, "One JSON object per night and line")->excludes(csv);
  command->callback([options] { Run(*options); });
});

}  // namespace

}  // namespace lum::cli
