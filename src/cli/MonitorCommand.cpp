// lumctl monitor: the live monitor on one port, one line per poll until a count or Ctrl+C.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/TimeStamp.h"
#include "cli/CliSession.h"
#include "cli/Command.h"
#include "device/Monitor.h"

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

std::string CsvHeader() {
  std::string header = "time";
  for (const Column& column : kColumns) header += std::string(",") + ValueKey(column.id);
  return header;
}

std::string CsvRow(const std::vector<std::string>& values) {
  std::string row = NowStamp();
  for (const std::string& value : values) row += "," + value;
  return row;
}

void WaitUntil(Clock& clock, uint64_t deadline) {
  while (!g_interrupted) {
    const uint64_t now = clock.NowMs();
    if (now >= deadline) return;
    clock.SleepMs(static_cast<unsigned>(std::min<uint64_t>(deadline - now, kStopCheckMs)));
  }
}

void RunMonitor(const std::string& port, unsigned count, bool csv) {
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
    std::cerr << "Cannot open " << *path << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);

  Clock& clock = SystemClock();
  if (csv) std::cout << CsvHeader() << std::endl;
  uint64_t next = clock.NowMs();
  bool anyAnswered = false;
  for (unsigned polls = 0; !g_interrupted && (count == 0 || polls < count); ++polls) {
    WaitUntil(clock, next);
    if (g_interrupted) break;
    next = clock.NowMs() + Monitor::kPollIntervalMs;
    session.observer.ForgetValues();
    device.Poll(true);
    device.WaitIdle();
    const auto values = Values(session.observer, csv ? FormatNumber : FormatValue);
    anyAnswered = anyAnswered || std::any_of(values.begin(), values.end(), [](const auto& v) { return !v.empty(); });
    std::cout << (csv ? CsvRow(values) : PeopleLine(values)) << std::endl;
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
  command->add_option("port", *port, "COMn of LUM.INI, or a device path")->required();
  command->add_option("--count", *count, "Stop after N polls (0: until Ctrl+C)")->check(CLI::NonNegativeNumber);
  command->add_flag("--csv", *csv, "Comma-separated values: a header row, then one row per poll");
  command->callback([port, count, csv] { RunMonitor(*port, *count, *csv); });
});

}  // namespace

}  // namespace lum::cli
