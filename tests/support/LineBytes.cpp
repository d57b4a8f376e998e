#include "support/LineBytes.h"

#include "link/Frame.h"

namespace lum::test {

Bytes ShortFrame(uint8_t code, uint8_t index, uint8_t byteArg, uint16_t word) {
  const FrameBytes frame = EncodeFrame(0, code, index, byteArg, word);
  return Bytes(frame.begin(), frame.end());
}

}  // namespace lum::test
