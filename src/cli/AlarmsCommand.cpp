// lumctl alarms: the checks of every controller's nights; the exit status tells a monitoring
// system whether an alarm of the chosen severity is open.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/NightsAnalysis.h"
#include "data/PollSample.h"
#include "language/MessageSlots.h"

namespace lum::cli {

namespace {

struct Options {
  NightsOptions nights;
  std::string severity = "critical";
  std::string now;
  bool json = false;
};

const std::map<std::string, nights::Severity> kSeverities{
    {"info", nights::Severity::Info}, {"warning", nights::Severity::Warning}, {"critical", nights::Severity::Critical}};

int64_t NowOf(const Options& options) {
  if (options.now.empty()) return NowMsSinceEpoch();
  const auto now = ParseUtcStamp(options.now);
  if (!now) {
    std::cerr << "--now: '" << options.now << "' is not a UTC time like 2026-12-08T14:00\n";
    throw CLI::RuntimeError(kExitBadInput);
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(now->time_since_epoch()).count();
}

void Run(const Options& options) {
  const CliContext context;
  const int64_t now = NowOf(options);
  const nights::NightRules rules = RulesOf(options.nights);
  const nights::Severity chosen = kSeverities.at(options.severity);
  bool openAlarm = false;
  size_t count = 0;
  const Settings settings(context.Locations().settingsDir);
  for (const auto& [serial, controller] : ReadNights(options.nights, rules)) {
    const nights::Thresholds thresholds = ThresholdsFor(options.nights, settings, serial);
    for (const nights::Alarm& a :
         nights::CheckNights(controller.nights, rules.profile, thresholds, controller.lastPollMs, now)) {
      ++count;
      openAlarm = openAlarm || (a.open && a.severity >= chosen);
      const auto kind = static_cast<int>(a.kind);
      const std::string name = FormatText(context.Messages().Text(msg::kAlarmName + kind), {int64_t{a.nights}});
      const std::string remedy = context.Messages().Text(msg::kAlarmRemedy + kind);
      const std::string severity = context.Messages().Text(msg::kSeverityName + static_cast<int>(a.severity));
      if (options.json) {
        nlohmann::ordered_json line;
        line["serial_number"] = serial;
        line["alarm"] = nights::AlarmKey(a.kind);
        line["severity"] = nights::SeverityKey(a.severity);
        line["first_night"] = UtcText(a.firstNightMs);
        line["last_night"] = UtcText(a.lastNightMs);
        line["nights"] = a.nights;
        line["value"] = a.value;
        line["open"] = a.open;
        line["text"] = name;
        line["remedy"] = remedy;
        std::cout << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
      } else {
        fmt::print("{}  {}  {}  {} .. {}  {:.3g}{}\n    {}\n", PrintableText(serial), severity, name,
                   UtcText(a.firstNightMs), UtcText(a.lastNightMs), a.value, a.open ? "  open" : "", remedy);
      }
    }
  }
  if (!options.json) fmt::print("{} alarms\n", count);
  if (openAlarm) throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto options = std::make_shared<Options>();
  auto* command = app.add_subcommand(
      "alarms", "Check the recorded nights against the programme; exit status 1 while an alarm of --severity is open");
  AddNightsOptions(*command, options->nights);
  command->add_option("--severity", options->severity, "The least severity that sets exit status 1")
      ->capture_default_str()
      ->check(CLI::IsMember({"info", "warning", "critical"}));
  command->add_option("--now", options->now, "Check as at this UTC time (default: now)")->type_name("TIME");
  command->add_flag("--json", options->json, "One JSON object per alarm and line");
  command->callback([options] { Run(*options); });
});

}  // namespace

}  // namespace lum::cli
