#include <gtest/gtest.h>

#include <algorithm>

#include "sim/Request.h"

namespace lum::sim {
namespace {

const Bytes kIdentify0 = {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x51};

TEST(SimRequest, DecodedRequestFields) {
  const RawFrame raw = EncodeFrame(0, command::kChannelTiming, 0x80 | 0x10 | 0x02, 55, (3 << 12) | 123);
  const Request r = DecodeRequest(raw);
  EXPECT_TRUE(r.IsWrite());
  EXPECT_EQ(r.Group(), 2);
  EXPECT_EQ(r.Channel(), 1);
  EXPECT_EQ(r.Segment(), 3);
  EXPECT_EQ(r.byteArg, 55);
  EXPECT_EQ(r.Minutes(), 123);
}

TEST(SimRequest, ScannerTakesSplitRequestsAndSkipsJunk) {
  RequestScanner scanner;
  EXPECT_TRUE(scanner.Feed(kIdentify0.data(), 5).empty());
  std::vector<RawFrame> got = scanner.Feed(kIdentify0.data() + 5, 3);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(std::equal(got[0].begin(), got[0].end(), kIdentify0.begin()));

  Bytes stream = {0xAA, 0x51, 0x00};  // junk, including a frame's tail
  Bytes bad = kIdentify0;
  bad[7] ^= 1;
  stream.insert(stream.end(), bad.begin(), bad.end());
  const FrameBytes second = EncodeFrame(0, command::kSerialNumber, 0, 0, 0);
  stream.insert(stream.end(), kIdentify0.begin(), kIdentify0.end());
  stream.insert(stream.end(), second.begin(), second.end());
  got = scanner.Feed(stream.data(), stream.size());
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0][1], command::kIdentify);
  EXPECT_EQ(got[1][1], command::kSerialNumber);
}

}  // namespace
}  // namespace lum::sim
