#pragma once

#include <chrono>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "sim/Controller.h"
#include "sim/ControllerSetup.h"

namespace lum::sim {

/// Plugging and unplugging controllers on the simulator's ports, as an operator at a bench
/// does: "plug PORT SETUP" puts a controller described by SETUP (the --controller syntax)
/// on port PORT (1 = the first port, COM1 in the --ports-ini order), "unplug PORT" takes it
/// away. On a bus, PORT#UNIT names one unit (1 = the first of the --bus list), and
/// "address PORT#UNIT N" gives that unit address N while the line runs.
struct ControlCommand {
  enum class Action { Plug, Unplug, Restart, Readdress };
  Action action = Action::Plug;
  int port = 1;
  ControllerSetup setup;            // for Plug
  std::chrono::milliseconds at{0};  // in a schedule: time after start
  int unit = 0;                     // a unit of a bus (1..); 0: the port itself
  uint8_t address = 0;              // for Readdress
};

/// "plug PORT [SETUP]" (without SETUP: the default controller), "unplug PORT", "restart PORT"
/// (the unit restarts into its loader and takes an upgrade) or "address PORT#UNIT N". Throws SetupTextError naming what
/// is wrong.
ControlCommand ParseControlLine(const std::string& line);

/// A schedule: one "SECONDS plug PORT SETUP" or "SECONDS unplug PORT" per line (SECONDS may
/// have decimals), blank lines and lines starting with '#' ignored; sorted by time. Throws
/// SetupTextError naming the line.
std::vector<ControlCommand> ParseSchedule(const std::string& text);

/// A stream of units for a demonstration: every port's unit stays `hold`, is unplugged, and
/// `gap` later a new unit of the same setup with the next free serial number is plugged;
/// `rounds` times.
std::vector<ControlCommand> StreamSchedule(const std::vector<ControllerSetup>& setups, std::chrono::milliseconds hold,
                                           std::chrono::milliseconds gap, int rounds);

/// Carries the command out on `ports` (index 0 = port 1). Throws SetupTextError for a port
/// that does not exist.
void Apply(const ControlCommand& command, const std::vector<Controller*>& ports);

}  // namespace lum::sim

namespace lum::sim {

/// Carries out a schedule and commands read from a stream (stdin) on the ports, each on a
/// thread of its own, until destroyed. A bad command read is reported to `errors` and
/// skipped.
class BenchDriver {
 public:
  BenchDriver(std::vector<Controller*> ports, std::ostream& errors);
  ~BenchDriver();
  BenchDriver(const BenchDriver&) = delete;
  BenchDriver& operator=(const BenchDriver&) = delete;

  void RunSchedule(std::vector<ControlCommand> schedule);
  /// Reads "plug PORT SETUP" / "unplug PORT" lines until the end of `in`.
  void ReadCommands(std::istream& in);

 private:
  struct State;
  std::shared_ptr<State> state_;  // shared with the reading thread, which may outlive the driver
  std::thread schedule_;
};

}  // namespace lum::sim
