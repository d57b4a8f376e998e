#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/LoaderMachine.h"
#include "sim/Pty.h"

namespace lum::sim {

/// A simulated controller loader on a pseudo-terminal, answering in its own thread.
/// Whenever a client opens the line it announces itself ("LOADER!") and repeats that every
/// kAnnounceIntervalMs until the client's first byte arrives. Each opening of the line starts
/// a new session with a fresh record.
class SimLoader {
 public:
  static constexpr unsigned kSettleMs = 50;             // lets the client finish opening
  static constexpr unsigned kAnnounceIntervalMs = 250;  // well apart from the client's 32 ms reads

  /// Throws std::system_error when no pseudo-terminal can be set up.
  explicit SimLoader(LoaderOptions options);
  ~SimLoader();
  SimLoader(const SimLoader&) = delete;
  SimLoader& operator=(const SimLoader&) = delete;

  /// The device path a client opens.
  const std::string& Path() const { return pty_.Path(); }

  /// A copy of the current session's record.
  LoaderRecord Record() const;
  /// Waits until the session has seen `quits` "Q" bytes, at most `timeoutMs`; true when it has.
  bool WaitForQuits(int quits, unsigned timeoutMs);

 private:
  void Run();

  PtyEndpoint pty_;
  const LoaderOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::unique_ptr<LoaderMachine> machine_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace lum::sim
