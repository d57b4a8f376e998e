// lum-sim: simulated controllers on pseudo-terminals, for trying lum and lumctl without hardware.
#include <fmt/core.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "VersionInfo.h"
#include "data/PollSample.h"
#include "data/TypeTables.h"
#include "sim/BenchControl.h"
#include "sim/LoaderMain.h"
#include "sim/MakeEffMain.h"
#include "sim/PortsIni.h"
#include "sim/SetupText.h"
#include "sim/Simulator.h"
#include "sim/SunClock.h"

namespace {
constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;
constexpr const char* kDefaultController = "row=1";
constexpr const char* kLoaderCommand = "loader";
// A demonstration stream: a new unit on every port this long after the last was taken away.
constexpr std::chrono::milliseconds kStreamGap{3000};
constexpr int kStreamRounds = 500;  // about an hour of units at --stream 8
constexpr double kMsPerSecond = 1000.0;
constexpr char kUnitSeparator = '/';

std::vector<std::string> SplitUnits(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash = text.find(kUnitSeparator); slash != std::string::npos; slash = text.find(kUnitSeparator, start)) {
    parts.push_back(text.substr(start, slash - start));
    start = slash + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The addresses LUM.INI's [Bus] has lum look at: from the lowest unit's to the highest's.
std::string BusRangeText(const std::vector<lum::sim::ControllerSetup>& units) {
  uint8_t low = UINT8_MAX;
  uint8_t high = 0;
  for (const auto& unit : units) {
    low = std::min(low, unit.config.Address());
    high = std::max(high, unit.config.Address());
  }
  return fmt::format("{}-{}", std::max<unsigned>(low, 1), std::max<unsigned>(high, 1));
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw lum::sim::SetupTextError(path + ": cannot be read");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
constexpr const char* kMakeEffCommand = "make-eff";

std::string Description() {
  return "Runs simulated solar and street-light controllers, each on its own pseudo-terminal, until\n"
         "SIGINT or SIGTERM. Each controller answers the frame protocol at 38400 baud 8N1: identity,\n"
         "configuration reads and writes (a write stores the value and echoes what is held), live\n"
         "measurements that change over time, model text and memory reads.\n"
         "On start one line per controller is printed: its device path, device type row, model and\n"
         "product code. Without --controller one controller of row 1 runs.\n";
}

std::string Footer() {
  return std::string("\n") + lum::sim::kSetupTextHelp +
         "\nExamples:\n"
         "  lum-sim\n"
         "  lum-sim --controller row=1,model=LS-2420,serial=0x12345678 --controller row=0,fromtry=2\n"
         "  lum-sim --controller row=2,alter=0x31:xor:0x0001,split --ports-ini LUM.INI\n"
         "With --ports-ini LUM.INI, lum and lumctl started in that directory see the controllers as\n"
         "COM1, COM2, ... in the order given.\n"
         "\nBenches: a controller with 'unplugged' is an empty port. Controllers are plugged and unplugged\n"
         "by commands \"plug PORT SETUP\" and \"unplug PORT\" (PORT 1 is the first --controller), read\n"
         "from standard input with --control, or at given times from a schedule file (--schedule) whose\n"
         "lines are \"SECONDS plug PORT SETUP\" or \"SECONDS unplug PORT\". \"restart PORT\" restarts the\n"
         "unit into its loader, which takes an upgrade and restarts it with the new firmware.\n"
         "--stream SECONDS keeps\n"
         "every port busy: each unit is unplugged after SECONDS and a new one (next serial number)\n"
         "is plugged shortly after (500 times).\n"
         "  lum-sim --controller row=1,unplugged --controller row=1,unplugged --ports-ini LUM.INI --control\n"
         "  lum-sim --controller row=1,serial=0x01000001 --controller row=1,serial=0x01000002 --stream 8\n"
         "\nBuses: --bus puts several controllers on one pseudo-terminal, each answering only requests to\n"
         "its own address (and all of them address 0); two units on one address answer at once and their\n"
         "replies come out mixed. PORT#UNIT names a unit in the commands: \"unplug 1#2\", \"plug 1#2 SETUP\",\n"
         "\"address 1#2 7\" (the second unit of the first port now answers at 7). The bus's ports come after\n"
         "the --controller ports.\n"
         "  lum-sim --bus address=1,serial=1/address=2,serial=2/address=5,serial=5 --ports-ini LUM.INI\n"
         "\n'lum-sim loader --help' describes the simulated firmware loader, 'lum-sim make-eff --help' the\n"
         "upgrade files made for it.";
}

void BlockStopSignals(sigset_t& signals) {
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  // Blocked before the simulator's thread starts, so only sigwait below takes them.
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void AddSunOptions(CLI::App& app, lum::sim::SunOptions& sun) {
  app.add_option("--sun", sun.site, "Days and nights at this site: battery, solar and load follow the sun")
      ->type_name("LAT,LON");
  app.add_option("--speed", sun.speed, "Simulated seconds per real second under --sun (3600: an hour a second)")
      ->check(CLI::PositiveNumber);
  app.add_option("--cloudy", sun.cloudy, "Days (0 the first) with little sun, \"2,3,4\"")->type_name("DAYS");
  app.add_option("--fault", sun.faults, "dead-lamp=NIGHT;NIGHT, broken-panel=DAY, ageing=AH_PER_DAY, comma-separated")
      ->type_name("FAULTS");
}

// The plugs and unplugs of --schedule, then those of --stream.
std::vector<lum::sim::ControlCommand> Schedule(const std::string& scheduleFile, double streamSeconds,
                                               const std::vector<lum::sim::ControllerSetup>& setups) {
  std::vector<lum::sim::ControlCommand> schedule;
  if (!scheduleFile.empty()) schedule = lum::sim::ParseSchedule(ReadFile(scheduleFile));
  if (streamSeconds > 0) {
    const auto hold = std::chrono::milliseconds(static_cast<int64_t>(streamSeconds * kMsPerSecond));
    for (auto& command : lum::sim::StreamSchedule(setups, hold, kStreamGap, kStreamRounds)) schedule.push_back(command);
  }
  return schedule;
}

// Every failure, of the command line or of a controller's setup, ends the program with a
// message rather than an abort.
int Run(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], kLoaderCommand) == 0) return lum::sim::RunLoaderMain(argc - 1, argv + 1);
  if (argc > 1 && std::strcmp(argv[1], kMakeEffCommand) == 0) return lum::sim::RunMakeEffMain(argc - 1, argv + 1);

  CLI::App app(Description(), "lum-sim");
  app.footer(Footer());
  app.set_version_flag("--version", std::string("lum-sim ") + lum::version::kFileVersion);
  std::vector<std::string> controllers;
  std::string portsIni;
  app.add_option("-c,--controller", controllers, "A controller, as key=value pairs (see below); repeatable")
      ->type_name("SETUP");
  std::vector<std::string> buses;
  app.add_option("--bus", buses,
                 "A bus: several controllers on one line, SETUP/SETUP/... (each with its address=N); repeatable")
      ->type_name("SETUPS");
  app.add_option("--ports-ini", portsIni, "Write a LUM.INI with a [Ports] section: COM1=<first path>, ...")
      ->type_name("FILE");
  std::string scheduleFile;
  bool control = false;
  double streamSeconds = 0;
  app.add_option("--schedule", scheduleFile, "Plug and unplug controllers at the times a file gives (see below)")
      ->type_name("FILE");
  app.add_flag("--control", control,
               "Read \"plug PORT SETUP\", \"unplug PORT\" and \"restart PORT\" commands from standard input");
  app.add_option("--stream", streamSeconds, "Unplug every unit after SECONDS and plug a new one (a demonstration)")
      ->type_name("SECONDS")
      ->check(CLI::PositiveNumber);
  lum::sim::SunOptions sun;
  AddSunOptions(app, sun);
  CLI11_PARSE(app, argc, argv);
  if (controllers.empty() && buses.empty()) controllers.emplace_back(kDefaultController);

  sigset_t stopSignals;
  BlockStopSignals(stopSignals);
  lum::sim::Simulator simulator;
  std::vector<std::string> paths;
  std::vector<lum::sim::Controller*> ports;
  std::vector<lum::sim::ControllerSetup> setups;
  for (const std::string& text : controllers) {
    lum::sim::ControllerSetup setup = lum::sim::ParseControllerSetup(text);
    if (!sun.site.empty())
      setup.measurements.sun = std::make_shared<lum::sim::AcceleratedSun>(
          lum::sim::SunSetupFor(setup.config, sun, lum::NowMsSinceEpoch()), sun.speed);
    lum::sim::Controller& controller = simulator.AddController(setup);
    ports.push_back(&controller);
    setups.push_back(setup);
    const uint32_t product = setup.config.ProductID();
    fmt::print("{} row={} model={} product=0x{:06X}\n", controller.Path(), lum::LookupProductID(product), setup.model,
               product);
    paths.push_back(controller.Path());
  }
  std::vector<std::string> busRanges(paths.size());
  for (const std::string& text : buses) {
    std::vector<lum::sim::ControllerSetup> units;
    for (const std::string& unit : SplitUnits(text)) units.push_back(lum::sim::ParseControllerSetup(unit));
    // The line behaves as its first unit's setup says (noise, split, delay).
    lum::sim::Controller& bus = simulator.AddBus(units.front(), units);
    ports.push_back(&bus);
    setups.push_back(units.front());
    for (const auto& unit : units)
      fmt::print("{} #{} row={} model={} product=0x{:06X}\n", bus.Path(), unit.config.Address(),
                 lum::LookupProductID(unit.config.ProductID()), unit.model, unit.config.ProductID());
    paths.push_back(bus.Path());
    busRanges.push_back(BusRangeText(units));
  }
  if (!portsIni.empty()) lum::sim::WritePortsIni(portsIni, paths, busRanges);
  std::vector<lum::sim::ControlCommand> schedule = Schedule(scheduleFile, streamSeconds, setups);
  std::fflush(stdout);
  simulator.Start();
  lum::sim::BenchDriver driver(ports, std::cerr);
  if (!schedule.empty()) driver.RunSchedule(std::move(schedule));
  if (control) driver.ReadCommands(std::cin);
  int signal = 0;
  sigwait(&stopSignals, &signal);
  return kExitOk;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    fmt::print(stderr, "lum-sim: {}\n", e.what());
    return kExitBadInput;
  }
}
