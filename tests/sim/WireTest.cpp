#include <gtest/gtest.h>

#include "base/Crc16.h"
#include "sim/Wire.h"

namespace lum::sim {
namespace {

const Bytes kIdentify0 = {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x51};

TEST(SimWire, FramesAsTheLineCarriesThem) {
  EXPECT_EQ(ShortFrame(0, command::kIdentify, {}), kIdentify0);
  EXPECT_EQ(ShortFrame(0, command::kMemoryRead, {0, 4, 0x4000}),
            (Bytes{0x00, 0x7E, 0x00, 0x04, 0x40, 0x00, 0x03, 0x22}));

  const Bytes model = LongFrame(0x05, 0xF0, Bytes{'A', 'B', 0, 'C'});
  ASSERT_EQ(model.size(), 9u);
  EXPECT_EQ(model[0], 0x05);
  EXPECT_EQ(model[2], 4);
  EXPECT_EQ(Crc16(model.data(), model.size()), 0);
  EXPECT_EQ(LongFrame(0, 0xF0, {}).size(), 5u);
  EXPECT_EQ(LongFrame(0, 0xF0, Bytes(40, 'x')).size(), 30u);  // data capped at 25 bytes
}

TEST(SimWire, LongFrameSizeFollowsTheReceiversRule) {
  EXPECT_EQ(wire::LongFrameSize(0xF0, 0), 5u);
  EXPECT_EQ(wire::LongFrameSize(0xFE, 25), 30u);
  EXPECT_EQ(wire::LongFrameSize(0xFE, 26), 0u);
  EXPECT_EQ(wire::LongFrameSize(0xEF, 4), 0u);
  EXPECT_EQ(wire::LongFrameSize(0xFF, 4), 0u);
}

TEST(SimWire, DecodedRequestFields) {
  RawFrame raw;
  const Bytes bytes = ShortFrame(0, command::kTiming, {0x80 | 0x10 | 0x02, 55, (3 << 12) | 123});
  std::copy(bytes.begin(), bytes.end(), raw.begin());
  const Request r = DecodeRequest(raw);
  EXPECT_TRUE(r.IsWrite());
  EXPECT_EQ(r.Group(), 2);
  EXPECT_EQ(r.Channel(), 1);
  EXPECT_EQ(r.Segment(), 3);
  EXPECT_EQ(r.byteArg, 55);
  EXPECT_EQ(r.word & wire::kMinutesMask, 123);
}

TEST(SimWire, ScannerTakesSplitRequestsAndSkipsJunk) {
  RequestScanner scanner;
  EXPECT_TRUE(scanner.Feed(kIdentify0.data(), 5).empty());
  std::vector<RawFrame> got = scanner.Feed(kIdentify0.data() + 5, 3);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(std::equal(got[0].begin(), got[0].end(), kIdentify0.begin()));

  Bytes stream = {0xAA, 0x51, 0x00};  // junk, including a frame's tail
  Bytes bad = kIdentify0;
  bad[7] ^= 1;
  stream.insert(stream.end(), bad.begin(), bad.end());
  const Bytes second = ShortFrame(0, command::kSerial, {});
  stream.insert(stream.end(), kIdentify0.begin(), kIdentify0.end());
  stream.insert(stream.end(), second.begin(), second.end());
  got = scanner.Feed(stream.data(), stream.size());
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0][1], command::kIdentify);
  EXPECT_EQ(got[1][1], command::kSerial);
}

}  // namespace
}  // namespace lum::sim
