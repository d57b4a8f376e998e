#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "sim/Controller.h"
#include "sim/ControllerSetup.h"

namespace lum::sim {

/// Runs simulated controllers, each on its own pseudo-terminal, in one background thread.
///
///   Simulator sim;
///   Controller& c = sim.AddController(DefaultSetup(1));
///   sim.Start();
///   // open c.Path() as a serial port, talk to it; then
///   c.RequestLog();  // the exact requests received
///   c.Config();      // the block with the writes stored
///
/// Controllers may be added before or after Start and live as long as the simulator.
/// The destructor stops the thread.
class Simulator {
 public:
  Simulator();
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  /// Creates the controller and its pseudo-terminal; throws std::system_error when no
  /// pseudo-terminal can be had.
  Controller& AddController(const ControllerSetup& setup);
  /// Creates a bus: `units` on one pseudo-terminal, the line behaving as `line` says.
  Controller& AddBus(const ControllerSetup& line, const std::vector<ControllerSetup>& units);

  void Start();
  void Stop();

 private:
  struct Slot {
    std::unique_ptr<Controller> controller;
    Controller::TimePoint restUntil{};  // no client on the line: not polled until then
  };
  Controller& Add(std::unique_ptr<Controller> controller);
  void Run();
  void Wake();

  std::mutex mutex_;        // guards slots_
  std::deque<Slot> slots_;  // a deque: the thread keeps pointers to slots across an AddController
  std::thread thread_;
  std::atomic<bool> running_{false};
  int wake_[2] = {-1, -1};  // self-pipe: read end polled, write end pokes the thread
};

}  // namespace lum::sim
