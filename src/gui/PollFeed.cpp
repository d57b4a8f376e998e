#include "PollFeed.h"

namespace lum {

void PollFeed::EndPoll(int64_t timeMs) {
  if (const auto sample = assembler_.Finish(timeMs)) emit sampleTaken(*sample);
}

}  // namespace lum
