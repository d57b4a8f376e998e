// lumctl plan: the energy plan of a site month by month, as CSV and a PNG chart.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <vector>

#include "base/AtomicFile.h"
#include "cli/Command.h"
#include "cli/NightsAnalysis.h"
#include "cli/PlanChart.h"
#include "nights/EnergyPlan.h"

namespace lum::cli {

namespace {

constexpr int kFirstPlanYear = 1900;
constexpr int kLastPlanYear = 2200;

struct Options {
  NightsOptions nights;  // --config gives the programme; --db adds what was recorded
  std::string site;
  double capacityAh = 0;
  double usable = 0.5;
  int year = 2025;
  std::string csv;
  std::string png;
};

std::string Csv(const std::array<nights::PlanMonth, nights::kMonths>& months) {
  std::string out =
      "month,night_minutes,lit_minutes,ampere_hours,autonomy_nights,recorded_nights,used_ah,cut_short_nights,"
      "exceeds_harvest\n";
  for (const nights::PlanMonth& m : months)
    out += fmt::format("{},{},{:.1f},{:.3f},{:.2f},{},{},{},{}\n", m.month,
                       m.nightMinutes ? fmt::format("{:.1f}", *m.nightMinutes) : std::string(), m.litMinutes,
                       m.ampereHours, m.autonomyNights, m.recordedNights,
                       m.usedAh ? fmt::format("{:.3f}", *m.usedAh) : std::string(), m.cutShortNights,
                       m.exceedsHarvest ? "yes" : "no");
  return out;
}

void Run(const Options& options) {
  const std::optional<nights::Site> site = nights::ParseSite(options.site);
  if (!site) {
    std::cerr << "--site: '" << options.site << "' is not LAT,LON in degrees (-90..90, -180..180; north and east "
              << "positive), like 51.51,-0.13\n";
    throw CLI::RuntimeError(kExitBadInput);
  }
  const nights::NightRules rules = RulesOf(options.nights);
  std::vector<nights::Night> recorded;
  if (!options.nights.db.empty())
    for (auto& [serial, controller] : ReadNights(options.nights, rules))
      recorded.insert(recorded.end(), controller.nights.begin(), controller.nights.end());
  const nights::PlanInput input{*site, rules.profile, options.capacityAh, options.usable, options.year};
  const auto months = nights::PlanYear(input, recorded);
  const std::string csv = Csv(months);
  try {
    if (!options.csv.empty()) WriteFileAtomically(options.csv, csv);
    if (!options.png.empty()) WritePlanChart(options.png, months, options.capacityAh * options.usable);
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitFailed);
  }
  if (options.csv.empty()) std::cout << csv;
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto options = std::make_shared<Options>();
  auto* command = app.add_subcommand(
      "plan", "Night length, programmed lit hours and Ah, and nights of autonomy month by month for a site");
  AddNightsOptions(*command, options->nights);
  command->get_option("--config")->required();  // the programme is what is planned
  command->add_option("--site", options->site, "Latitude,longitude in degrees, north and east positive")
      ->type_name("LAT,LON")
      ->required();
  command->add_option("--capacity", options->capacityAh, "Battery capacity in Ah")
      ->required()
      ->check(CLI::PositiveNumber);
  command->add_option("--usable", options->usable, "Share of the capacity that may be used")
      ->capture_default_str()
      ->check(CLI::Range(0.01, 1.0));
  command->add_option("--year", options->year, "The year whose nights are planned")
      ->capture_default_str()
      ->check(CLI::Range(kFirstPlanYear, kLastPlanYear));
  command->add_option("--csv", options->csv, "Write the twelve months as CSV to FILE (else to the terminal)")
      ->type_name("FILE");
  command->add_option("--png", options->png, "Draw the twelve months as a PNG chart into FILE")->type_name("FILE");
  command->callback([options] { Run(*options); });
});

}  // namespace

}  // namespace lum::cli
