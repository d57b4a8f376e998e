#include "PollFeed.h"

namespace lum {

PollSample PollFeed::EndPoll(int64_t timeMs) {
  if (auto sample = assembler_.Finish(timeMs)) {
    emit sampleTaken(*sample);
    return *sample;
  }
  emit pollEmpty(timeMs);
  PollSample nothing;
  nothing.timeMs = timeMs;
  return nothing;
}

}  // namespace lum
