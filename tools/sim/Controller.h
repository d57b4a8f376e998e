#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sim/BusLine.h"
#include "sim/ControllerSetup.h"
#include "sim/LoaderMachine.h"
#include "sim/Pty.h"
#include "sim/Request.h"
#include "sim/Responder.h"

namespace lum::sim {

/// One simulated controller on its own pseudo-terminal. Created through
/// Simulator::AddController; the accessors below are safe to call from any thread while the
/// simulator runs.
class Controller {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  explicit Controller(const ControllerSetup& setup);
  /// A bus: the units on one line, each answering at its own address; the line behaves as
  /// `line` says (noise, split and delayed replies, measurements).
  Controller(const ControllerSetup& line, const std::vector<ControllerSetup>& units);

  /// Whether this line is a bus of units.
  bool IsBus() const { return bus_.has_value(); }
  /// The bus's slots (0 for a single controller's line).
  size_t Units() const;
  /// Plugs a unit into a slot of the bus, takes it away, or gives it a new address while the
  /// line runs; false for a slot the bus does not have.
  bool PlugUnit(size_t slot, const ControllerSetup& setup);
  bool UnplugUnit(size_t slot);
  bool ReaddressUnit(size_t slot, uint8_t address);
  /// The configuration of the unit in a slot (nullopt: empty or missing slot).
  std::optional<TCONFIG_BLOCK> UnitConfig(size_t slot) const;
  /// The requests the unit in a slot heard addressed to it, or to the whole line.
  std::vector<RawFrame> UnitLog(size_t slot) const;

  /// The device path a client opens (/dev/pts/N).
  const std::string& Path() const { return pty_.Path(); }

  /// Every checked request received so far (the 8 bytes, CRC included), in arrival order,
  /// answered or not.
  std::vector<RawFrame> RequestLog() const;
  void ClearRequestLog();
  /// Waits until the log holds at least `count` requests; false when the time ran out.
  bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;

  /// The configuration block as it is now, with every write stored so far (of the unit
  /// plugged last).
  TCONFIG_BLOCK Config() const;

  /// Plugs the controller `setup` describes into this port, replacing the one there: from now
  /// on it answers with its own identity and configuration. How the line behaves (noise, split
  /// and delayed replies, measurements) stays as the port was made.
  void Plug(const ControllerSetup& setup);
  /// Takes the controller away: requests go unanswered (and unlogged) until the next Plug;
  /// replies not yet sent are lost.
  void Unplug();
  bool Plugged() const { return plugged_; }
  /// Restarts the unit plugged here into its loader, as a power cycle does: it announces the
  /// loader (again and again until the program answers) and takes an upgrade; the
  /// "Q" that ends it restarts the controller with the version and build received (its
  /// configuration kept). Ignored without a unit.
  void Restart(const LoaderOptions& loader = {});
  /// The unit's loader is listening.
  bool InLoader() const;

  /// Called when the simulator's thread has something new to do (set by the simulator).
  void SetWake(std::function<void()> wake) { wake_ = std::move(wake); }

  // Driven by the simulator's thread only.
  int Fd() const { return pty_.Fd(); }
  /// Takes the waiting bytes and queues a reply for each request completed by them.
  /// False when no client has the line open.
  bool OnReadable(TimePoint now);
  /// Writes every queued piece whose time has come.
  void WriteDue(TimePoint now);
  /// When the next queued piece is due, if any.
  std::optional<TimePoint> NextDue() const;

 private:
  struct Piece {
    TimePoint due;
    Bytes bytes;
  };
  void Queue(const Bytes& reply, TimePoint now);
  /// When the loader's next announcement is due: while it has not heard the program.
  std::optional<TimePoint> AnnouncementDue() const;
  /// Feeds the loader; its replies. Ends the loader at its "Q".
  std::vector<Bytes> FeedLoader(const uint8_t* data, size_t size);

  PtyEndpoint pty_;
  const TimePoint started_;
  // Copies of ControllerSetup fields that the simulator thread reads without the lock.
  const MeasurementSetup measurements_;
  const bool line_noise_;
  const unsigned damage_every_;
  const bool split_replies_;
  const std::chrono::milliseconds split_pause_;
  const std::chrono::milliseconds reply_delay_;
  std::atomic<bool> plugged_;
  std::atomic<bool> drop_output_{false};
  mutable std::mutex mutex_;  // guards responder_, log_ and the write count below
  unsigned vanish_after_writes_;
  unsigned writes_answered_ = 0;
  mutable std::condition_variable logged_;
  Responder responder_;
  std::optional<BusLine> bus_;             // a bus: its units answer instead of responder_
  std::unique_ptr<LoaderMachine> loader_;  // while the unit runs its loader
  bool loader_heard_ = false;              // the program has spoken to the loader
  TimePoint next_announcement_{};
  std::function<void()> wake_;
  std::vector<RawFrame> log_;

  // The simulator thread's own.
  RequestScanner scanner_;
  std::deque<Piece> output_;
  std::mt19937 noise_;
  unsigned replies_sent_ = 0;
};

}  // namespace lum::sim
