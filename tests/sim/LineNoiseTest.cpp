#include <gtest/gtest.h>

#include "base/Crc16.h"
#include "sim/LineNoise.h"
#include "support/LineBytes.h"

namespace lum::sim {
namespace {

// Every start a receiver would check, other than the reply's own, must fail its CRC.
void ExpectOnlyTheReplyChecks(const NoisyReply& noisy) {
  for (size_t s = 0; s < noisy.bytes.size(); ++s) {
    if (s == noisy.replyAt) continue;
    const size_t length =
        s + 2 < noisy.bytes.size() ? CandidateLength(noisy.bytes[s + 1], noisy.bytes[s + 2]) : frame::kSize;
    if (s + length <= noisy.bytes.size()) {
      EXPECT_NE(Crc16(noisy.bytes.data() + s, length), 0) << "start " << s;
    }
  }
}

TEST(SimLineNoise, ReplyIntactWithNoiseOnBothSidesAndNoFakeFrames) {
  std::mt19937 random(1);
  const std::vector<Bytes> replies = {lum::test::ShortFrame(0x81, 0, 0x51, 0x5620),
                                      EncodeLongFrame(0, 0xF0, Bytes{'L', 'S', '1'}),
                                      EncodeLongFrame(0, 0xFE, Bytes(8, 0xFF))};
  for (int round = 0; round < 2000; ++round) {
    const Bytes& reply = replies[static_cast<size_t>(round) % replies.size()];
    const NoisyReply noisy = SurroundWithNoise(reply, random);
    ASSERT_GE(noisy.replyAt, 1u);
    ASSERT_LE(noisy.replyAt, 4u);
    const size_t after = noisy.bytes.size() - noisy.replyAt - reply.size();
    ASSERT_GE(after, 1u);
    ASSERT_LE(after, 4u);
    ASSERT_TRUE(
        std::equal(reply.begin(), reply.end(), noisy.bytes.begin() + static_cast<std::ptrdiff_t>(noisy.replyAt)));
    ExpectOnlyTheReplyChecks(noisy);
  }
}

TEST(SimLineNoise, SameSeedSameNoise) {
  std::mt19937 a(42), b(42);
  const Bytes reply = lum::test::ShortFrame(0x82, 0, 123, 7);
  EXPECT_EQ(SurroundWithNoise(reply, a).bytes, SurroundWithNoise(reply, b).bytes);
}

}  // namespace
}  // namespace lum::sim
