#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lum::test {

/// A pseudo-terminal: the test holds the master side, the code under test opens the slave
/// path like a serial device.
class PtyPair {
 public:
  /// Opens a master; throws std::runtime_error when the system has no pseudo-terminals.
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& SlavePath() const { return slave_path_; }
  int MasterFd() const { return master_; }

  /// Writes all bytes to the master (they arrive at the slave).
  void Write(const std::vector<uint8_t>& bytes);
  /// Reads exactly `count` bytes sent by the slave, waiting at most `timeoutMs` for each;
  /// returns fewer when the time runs out or the master is closed.
  std::vector<uint8_t> ReadExactly(size_t count, int timeoutMs);
  /// Closes the master: the slave sees a hang-up.
  void CloseMaster();

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace lum::test
