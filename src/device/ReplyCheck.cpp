#include "device/ReplyCheck.h"

#include <algorithm>

#include "link/Frame.h"

namespace lum {

namespace {
bool IsChannelCommand(uint8_t command) { return command >= command::kChannelCV && command <= command::kChannelTiming2; }
bool IsSegmentCommand(uint8_t command) {
  return command == command::kChannelTiming || command == command::kChannelTiming2;
}
uint8_t WithoutWriteFlag(uint8_t index) { return static_cast<uint8_t>(index & ~frame::kWriteFlag); }
}  // namespace

bool IsAnswered(std::span<const ReplyHeader> log, uint8_t command, uint8_t index, uint16_t word) {
  return std::any_of(log.begin(), log.end(), [&](const ReplyHeader& reply) {
    if (reply.code != ReplyCode(command)) return false;
    if (IsChannelCommand(command) && WithoutWriteFlag(reply.index) != WithoutWriteFlag(index)) return false;
    return !IsSegmentCommand(command) || (reply.word >> frame::kSegmentShift) == (word >> frame::kSegmentShift);
  });
}

void ExpectedReplies::Expect(uint8_t command, uint8_t index, uint16_t word, std::string what) {
  expected_.push_back(Expected{command, index, word, std::move(what)});
}

std::vector<std::string> ExpectedReplies::Missing(std::span<const ReplyHeader> log) const {
  std::vector<std::string> missing;
  for (const Expected& request : expected_)
    if (!IsAnswered(log, request.command, request.index, request.word)) missing.push_back(request.what);
  return missing;
}

}  // namespace lum
