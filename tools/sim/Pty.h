#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lum::sim {

/// The controller's end of a pseudo-terminal. The client opens Path() (/dev/pts/N) like a
/// serial port; the slave side is left closed, so the client's exclusive open and lock are
/// its own. Raw 8N1 at the given baud on both sides, so no byte is line-processed.
class PtyEndpoint {
 public:
  /// Throws std::system_error when no pseudo-terminal can be set up.
  explicit PtyEndpoint(unsigned baud = kDefaultBaud);
  ~PtyEndpoint();
  PtyEndpoint(const PtyEndpoint&) = delete;
  PtyEndpoint& operator=(const PtyEndpoint&) = delete;

  static constexpr unsigned kDefaultBaud = 38400;

  const std::string& Path() const { return path_; }
  /// The master descriptor, non-blocking, for poll().
  int Fd() const { return master_; }

  /// Outcome of a read: bytes taken, or the line has no client (the slave is closed; normal
  /// between two opens, the endpoint stays usable).
  struct ReadResult {
    size_t count = 0;
    bool noClient = false;
  };
  ReadResult Read(uint8_t* buffer, size_t capacity);
  /// Writes what the line takes now; bytes nobody can take are lost, as on a real wire.
  void Write(const uint8_t* data, size_t length);

 private:
  int master_ = -1;
  std::string path_;
};

}  // namespace lum::sim
