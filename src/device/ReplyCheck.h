#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/Link.h"

namespace lum {

/// True when `log` holds the reply to the request (command, index, word): its reply code
/// and, for a channel request, the same channel and group (and segment for a timing one).
bool IsAnswered(std::span<const ReplyHeader> log, uint8_t command, uint8_t index = 0, uint16_t word = 0);

/// The requests of one operation that need an answer, each with what it reads.
class ExpectedReplies {
 public:
  void Expect(uint8_t command, uint8_t index, uint16_t word, std::string what);
  /// What was read by the expected requests that `log` holds no reply to, in request order.
  std::vector<std::string> Missing(std::span<const ReplyHeader> log) const;

 private:
  struct Expected {
    uint8_t command;
    uint8_t index;
    uint16_t word;
    std::string what;
  };
  std::vector<Expected> expected_;
};

}  // namespace lum
