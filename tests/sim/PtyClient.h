#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "sim/Request.h"
#include "support/LineBytes.h"

namespace lum::sim::test {

/// The client's end of a simulated controller's line, opened with plain POSIX calls (raw,
/// non-blocking), as a test talks to it.
class PtyClient {
 public:
  explicit PtyClient(const std::string& path);
  ~PtyClient();
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  void Send(const Bytes& bytes);
  /// Reads until `count` bytes came in or `limit` passed; returns what came.
  Bytes ReadUntil(size_t count, std::chrono::milliseconds limit = kPatience);
  /// Everything one read returns once bytes are waiting (empty when none came within `limit`).
  Bytes ReadSome(std::chrono::milliseconds limit = kPatience);

  /// Generous: only a broken simulator takes this long, so it never makes a test flaky.
  static constexpr std::chrono::milliseconds kPatience{10000};

 private:
  int fd_ = -1;
};

/// The identification request with the given try number.
Bytes IdentifyRequest(uint8_t tryNumber);
using lum::test::ShortFrame;

/// A short reply carries a request's fields; decoded after its CRC checked.
using ShortReply = Request;
std::optional<ShortReply> DecodeShortReply(const Bytes& frame);

}  // namespace lum::sim::test
