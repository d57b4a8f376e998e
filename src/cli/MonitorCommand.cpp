// lumctl monitor: the live monitor on one port, one line per poll until a count or Ctrl+C.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/TimeStamp.h"
#include "cli/CliSession.h"
#include "cli/Command.h"
#include "device/Monitor.h"
#include "link/PortTrouble.h"

namespace lum::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }

constexpr unsigned kStopCheckMs = 50;  // how soon Ctrl+C ends a wait between polls

// The measurements as the real-time page shows them, the monitor page where it has none.
// A value without a reply in the poll is missing: never the window's initial text, never
// the value of an earlier poll.
struct Column {
  ValueId id;
  Decimals decimals;
  const char* label;
};
const Column kColumns[] = {
    {ValueId::PowerOnTime, Decimals::OfUnit, "Power-on"}, {ValueId::BatteryVoltage, Decimals::Two, "Battery"},
    {ValueId::SolarVoltage, Decimals::OfUnit, "Solar"},   {ValueId::Load1Voltage, Decimals::OfUnit, "Load 1"},
    {ValueId::Load1Current, Decimals::Two, "Load 1"},     {ValueId::Temperature, Decimals::OfUnit, "Temperature"},
};
constexpr char kNotShown[] = "-";

using Formatter = std::string (*)(const Measurement&, Decimals);

std::vector<std::string> Values(const ConsoleObserver& observer, Formatter format) {
  std::vector<std::string> values;
  for (const Column& column : kColumns) {
    const Measurement* value = observer.Last(column.id);
    values.push_back(value ? format(*value, column.decimals) : std::string());
  }
  return values;
}

bool AnyValue(const std::vector<std::string>& values) {
  return std::any_of(values.begin(), values.end(), [](const std::string& value) { return !value.empty(); });
}

std::string PeopleLine(const std::vector<std::string>& values) {
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) {
    if (!line.empty()) line += "  ";
    line += fmt::format("{} {}", kColumns[i].label, values[i].empty() ? kNotShown : values[i]);
  }
  return line;
}

// For scripts: each column's unit in the header, the time in ISO 8601 with its UTC offset,
// the power-on time also in seconds.
constexpr char kSecondsKey[] = "power_on_s";
constexpr char kClockFormat[] = "h:mm:ss";

std::string CsvHeader() {
  std::string header = fmt::format("time,{} (s)", kSecondsKey);
  for (const Column& column : kColumns) {
    const Unit unit = UnitOf(column.id);
    const char* symbol = unit == Unit::Seconds ? kClockFormat : UnitSymbol(unit);
    header += *symbol ? fmt::format(",{} ({})", ValueKey(column.id), symbol) : fmt::format(",{}", ValueKey(column.id));
  }
  return header;
}

const Measurement* PowerOnTime(const ConsoleObserver& observer) { return observer.Last(ValueId::PowerOnTime); }

std::string CsvRow(const ConsoleObserver& observer) {
  const Measurement* seconds = PowerOnTime(observer);
  std::string row = IsoStamp() + "," + (seconds ? std::to_string(seconds->raw) : "");
  for (const std::string& value : Values(observer, FormatNumber)) row += "," + value;
  return row;
}

// One object per poll: numbers in the unit the key names (volts, amperes, °C, seconds), null
// for a value not received.
std::string JsonLine(const ConsoleObserver& observer) {
  nlohmann::ordered_json line;
  line["time"] = IsoStamp();
  const Measurement* seconds = PowerOnTime(observer);
  line[kSecondsKey] = seconds ? nlohmann::ordered_json(seconds->raw) : nlohmann::ordered_json();
  for (const Column& column : kColumns) {
    const Measurement* value = observer.Last(column.id);
    if (column.id == ValueId::PowerOnTime)
      line[ValueKey(column.id)] = value ? nlohmann::ordered_json(FormatNumber(*value)) : nlohmann::ordered_json();
    else
      line[ValueKey(column.id)] =
          value ? nlohmann::ordered_json(std::stod(FormatNumber(*value))) : nlohmann::ordered_json();
  }
  return line.dump();
}

void WaitUntil(Clock& clock, uint64_t deadline) {
  while (!g_interrupted) {
    const uint64_t now = clock.NowMs();
    if (now >= deadline) return;
    clock.SleepMs(static_cast<unsigned>(std::min<uint64_t>(deadline - now, kStopCheckMs)));
  }
}

enum class Output { People, Csv, Json };

std::string Line(const ConsoleObserver& observer, Output output) {
  switch (output) {
    case Output::Csv:
      return CsvRow(observer);
    case Output::Json:
      return JsonLine(observer);
    case Output::People:
      break;
  }
  return PeopleLine(Values(observer, FormatValue));
}

void RunMonitor(const std::string& port, unsigned count, Output output) {
  CliSession session;
  const auto path = session.context.Ports().Resolve(port);
  if (!path) {
    std::cerr << port << ": no such port (see LUM.INI [Ports] and lumctl ports)" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  DeviceSession& device = session.device;
  device.OpenMonitor(*path);
  device.WaitIdle();
  if (!device.MonitorOpen()) {
    std::cerr << "Cannot open " << *path << ": " << PortOpenReason(*path, device.MonitorOpenFailure()) << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);

  Clock& clock = SystemClock();
  if (output == Output::Csv) std::cout << CsvHeader() << std::endl;
  uint64_t next = clock.NowMs();
  bool anyAnswered = false;
  for (unsigned polls = 0; !g_interrupted && (count == 0 || polls < count); ++polls) {
    WaitUntil(clock, next);
    if (g_interrupted) break;
    next = clock.NowMs() + Monitor::kPollIntervalMs;
    session.observer.ForgetValues();
    device.Poll(true);
    device.WaitIdle();
    anyAnswered = anyAnswered || AnyValue(Values(session.observer, FormatNumber));
    std::cout << Line(session.observer, output) << std::endl;
  }
  device.CloseMonitor();
  device.WaitIdle();
  if (!anyAnswered) {
    std::cerr << "No poll was answered." << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("monitor", "Poll a controller's measurements once a second (Ctrl+C stops)");
  auto port = std::make_shared<std::string>();
  auto count = std::make_shared<unsigned>(0);
  auto csv = std::make_shared<bool>(false);
  auto json = std::make_shared<bool>(false);
  command->add_option("port", *port, "COMn of LUM.INI, or a device path")->required();
  command->add_option("--count", *count, "Stop after N polls (0: until Ctrl+C)")->check(CLI::NonNegativeNumber);
  auto* csvFlag = command->add_flag(
      "--csv", *csv, "Comma-separated values: a header row with units, then one row per poll (ISO 8601 time)");
  command->add_flag("--json", *json, "One JSON object per poll and line")->excludes(csvFlag);
  command->callback([port, count, csv, json] {
    RunMonitor(*port, *count, *json ? Output::Json : *csv ? Output::Csv : Output::People);
  });
});

}  // namespace

}  // namespace lum::cli
