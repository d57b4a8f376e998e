#include "sim/BenchControl.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <sstream>

#include "sim/SetupText.h"

namespace lum::sim {

namespace {
constexpr const char* kPlug = "plug";
constexpr const char* kUnplug = "unplug";
constexpr const char* kRestart = "restart";
constexpr const char* kAddress = "address";
constexpr char kUnitMark = '#';
constexpr unsigned kLastAddress = 255;
constexpr char kComment = '#';
constexpr double kMsPerSecond = 1000.0;

int PortNumber(const std::string& text) {
  int port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port < 1)
    throw SetupTextError("'" + text + "' is not a port number (1 = the first port)");
  return port;
}

// "PORT" or "PORT#UNIT".
void SetPlace(ControlCommand& command, const std::string& text) {
  const size_t mark = text.find(kUnitMark);
  command.port = PortNumber(text.substr(0, mark));
  if (mark != std::string::npos) command.unit = PortNumber(text.substr(mark + 1));
}

uint8_t AddressOf(const std::string& text) {
  unsigned address = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), address);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || address > kLastAddress)
    throw SetupTextError("'" + text + "' is not an address 0..255");
  return static_cast<uint8_t>(address);
}
}  // namespace

ControlCommand ParseControlLine(const std::string& line) {
  std::istringstream words(line);
  std::string action, port, setup;
  words >> action >> port >> setup;
  ControlCommand command;
  if (action == kPlug && !port.empty()) {
    command.action = ControlCommand::Action::Plug;
    command.setup = ParseControllerSetup(setup);
  } else if (action == kUnplug && !port.empty() && setup.empty()) {
    command.action = ControlCommand::Action::Unplug;
  } else if (action == kRestart && !port.empty() && setup.empty()) {
    command.action = ControlCommand::Action::Restart;
  } else if (action == kAddress && port.find(kUnitMark) != std::string::npos) {
    command.action = ControlCommand::Action::Readdress;
    command.address = AddressOf(setup);
  } else {
    throw SetupTextError("'" + line +
                         "': expected \"plug PORT [SETUP]\", \"unplug PORT\", \"restart PORT\" or \"address "
                         "PORT#UNIT N\"");
  }
  SetPlace(command, port);
  return command;
}

std::vector<ControlCommand> ParseSchedule(const std::string& text) {
  std::vector<ControlCommand> schedule;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == kComment) continue;
    std::istringstream words(line);
    std::string seconds;
    words >> seconds;
    std::string rest;
    std::getline(words, rest);
    try {
      size_t used = 0;
      const double at = std::stod(seconds, &used);
      if (used != seconds.size() || at < 0) throw SetupTextError("'" + seconds + "' is not a time in seconds");
      ControlCommand command = ParseControlLine(rest);
      command.at = std::chrono::milliseconds(static_cast<int64_t>(at * kMsPerSecond));
      schedule.push_back(std::move(command));
    } catch (const std::logic_error& e) {  // SetupTextError, or stod's own
      throw SetupTextError("schedule line " + std::to_string(number) + ": " + e.what());
    }
  }
  std::stable_sort(schedule.begin(), schedule.end(),
                   [](const ControlCommand& a, const ControlCommand& b) { return a.at < b.at; });
  return schedule;
}

std::vector<ControlCommand> StreamSchedule(const std::vector<ControllerSetup>& setups, std::chrono::milliseconds hold,
                                           std::chrono::milliseconds gap, int rounds) {
  std::vector<ControlCommand> schedule;
  uint32_t nextSerial = 0;
  for (const ControllerSetup& setup : setups) nextSerial = std::max(nextSerial, setup.serialNumber + 1);
  for (int round = 1; round <= rounds; ++round) {
    const auto unplugAt = (hold + gap) * round - gap;
    for (size_t p = 0; p < setups.size(); ++p) {
      const int port = static_cast<int>(p) + 1;
      schedule.push_back({ControlCommand::Action::Unplug, port, {}, unplugAt});
      ControllerSetup next = setups[p];
      next.serialNumber = nextSerial++;
      next.unplugged = false;
      next.memory = FactoryMemory(next);
      schedule.push_back({ControlCommand::Action::Plug, port, next, unplugAt + gap});
    }
  }
  std::stable_sort(schedule.begin(), schedule.end(),
                   [](const ControlCommand& a, const ControlCommand& b) { return a.at < b.at; });
  return schedule;
}

void Apply(const ControlCommand& command, const std::vector<Controller*>& ports) {
  if (command.port < 1 || static_cast<size_t>(command.port) > ports.size())
    throw SetupTextError("there is no port " + std::to_string(command.port));
  Controller& controller = *ports[static_cast<size_t>(command.port - 1)];
  if (command.unit != 0) {
    const auto slot = static_cast<size_t>(command.unit - 1);
    const bool done = command.action == ControlCommand::Action::Plug     ? controller.PlugUnit(slot, command.setup)
                      : command.action == ControlCommand::Action::Unplug ? controller.UnplugUnit(slot)
                      : command.action == ControlCommand::Action::Readdress
                          ? controller.ReaddressUnit(slot, command.address)
                          : false;
    if (!done)
      throw SetupTextError("port " + std::to_string(command.port) + " has no unit " + std::to_string(command.unit) +
                           " for that");
    return;
  }
  switch (command.action) {
    case ControlCommand::Action::Plug:
      controller.Plug(command.setup);
      break;
    case ControlCommand::Action::Unplug:
      controller.Unplug();
      break;
    case ControlCommand::Action::Restart:
      controller.Restart();
      break;
    case ControlCommand::Action::Readdress:
      break;  // only a unit of a bus has an address to change
  }
}

}  // namespace lum::sim

namespace lum::sim {

struct BenchDriver::State {
  State(std::vector<Controller*> p, std::ostream& e) : ports(std::move(p)), errors(e) {}
  std::vector<Controller*> ports;
  std::ostream& errors;
  std::mutex mutex;  // guards closed; held while a command runs
  std::condition_variable stop;
  bool closed = false;

  // False once the driver is gone.
  bool Carry(const ControlCommand& command) {
    std::lock_guard lock(mutex);
    if (closed) return false;
    try {
      Apply(command, ports);
    } catch (const SetupTextError& e) {
      errors << "lum-sim: " << e.what() << std::endl;
    }
    return true;
  }
};

BenchDriver::BenchDriver(std::vector<Controller*> ports, std::ostream& errors)
    : state_(std::make_shared<State>(std::move(ports), errors)) {}

BenchDriver::~BenchDriver() {
  {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
  }
  state_->stop.notify_all();
  if (schedule_.joinable()) schedule_.join();
}

void BenchDriver::RunSchedule(std::vector<ControlCommand> schedule) {
  schedule_ = std::thread([state = state_, schedule = std::move(schedule)] {
    const auto start = std::chrono::steady_clock::now();
    for (const ControlCommand& command : schedule) {
      {
        std::unique_lock lock(state->mutex);
        if (state->stop.wait_until(lock, start + command.at, [&] { return state->closed; })) return;
      }
      if (!state->Carry(command)) return;
    }
  });
}

void BenchDriver::ReadCommands(std::istream& in) {
  // Detached: a read from a terminal cannot be interrupted; the thread ends with the input or
  // finds the driver closed.
  std::thread([state = state_, &in] {
    std::string line;
    while (std::getline(in, line)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      try {
        if (!state->Carry(ParseControlLine(line))) return;
      } catch (const SetupTextError& e) {
        std::lock_guard lock(state->mutex);
        if (state->closed) return;
        state->errors << "lum-sim: " << e.what() << std::endl;
      }
    }
  }).detach();
}

}  // namespace lum::sim
