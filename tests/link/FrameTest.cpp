#include <gtest/gtest.h>

#include <vector>

#include "base/Crc16.h"
#include "link/Frame.h"
#include "support/LineBytes.h"

namespace lum {
namespace {

using test::Bytes;
using test::ShortFrame;

TEST(Frame, FramesAsTheLineCarriesThem) {
  EXPECT_EQ(ShortFrame(command::kIdentify, 0, 0, 0), (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x51}));
  EXPECT_EQ(ShortFrame(command::kMemoryRead, 0, 4, 0x4000), (Bytes{0x00, 0x7E, 0x00, 0x04, 0x40, 0x00, 0x03, 0x22}));

  const Bytes model = EncodeLongFrame(0x05, 0xF0, Bytes{'A', 'B', 0, 'C'});
  ASSERT_EQ(model.size(), 9u);
  EXPECT_EQ(model[0], 0x05);
  EXPECT_EQ(model[2], 4);
  EXPECT_EQ(Crc16(model.data(), model.size()), 0);
  EXPECT_EQ(EncodeLongFrame(0, 0xF0, Bytes{}).size(), 5u);
  EXPECT_EQ(EncodeLongFrame(0, 0xF0, Bytes(40, 'x')).size(), 30u);  // data capped at 25 bytes
}

TEST(Frame, CandidateLengthFollowsTheLongReplyRule) {
  EXPECT_EQ(CandidateLength(0xF0, 0), 5u);
  EXPECT_EQ(CandidateLength(0xFE, 25), 30u);
  EXPECT_EQ(CandidateLength(0xFE, 26), frame::kSize);
  EXPECT_EQ(CandidateLength(0xEF, 4), frame::kSize);
  EXPECT_EQ(CandidateLength(0xFF, 4), frame::kSize);
}

TEST(Frame, ChannelIndexAndSegmentWordPackTheirFields) {
  EXPECT_EQ(ChannelIndex(1, 2, true), 0x80 | 0x10 | 0x02);
  EXPECT_EQ(ChannelIndex(3), 0x30);
  EXPECT_EQ(SegmentWord(3, 123), (3 << 12) | 123);
  EXPECT_EQ(SegmentWord(4, 0xFFFF), (4 << 12) | 0x0FFF);  // minutes cannot spill into the segment
}

}  // namespace
}  // namespace lum
