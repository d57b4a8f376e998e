#include <gtest/gtest.h>

#include <vector>

#include "link/Frame.h"
#include "link/Link.h"
#include "support/ScriptedLinkTest.h"

namespace lum {
namespace {

using test::Bytes;
using test::ShortFrame;

Bytes Join(const Bytes& a, const Bytes& b) {
  Bytes all = a;
  all.insert(all.end(), b.begin(), b.end());
  return all;
}

class ReceiveFramesTest : public test::ScriptedLinkTest {
 protected:
  int Receive() { return link.ReceiveFrames(&port, block); }
};

TEST_F(ReceiveFramesTest, StartsEmptyAtTheRingStart) {
  EXPECT_EQ(link.RxPos(), 32);
  for (const uint8_t byte : link.RxBuffer()) EXPECT_EQ(byte, 0xFF);
  EXPECT_FALSE(link.DeviceIdentified());
}

TEST_F(ReceiveFramesTest, ReplySplitOverTwoReadsIsDecodedOnceAfterTheSecond) {
  const Bytes reply = ShortFrame(0xB1, 0, 0, 14400);
  port.Deliver(Bytes(reply.begin(), reply.begin() + 5));
  port.Deliver(Bytes(reply.begin() + 5, reply.end()));
  EXPECT_EQ(Receive(), 5);
  EXPECT_EQ(block.BattOVP(), 0);
  EXPECT_EQ(Receive(), 3);
  EXPECT_EQ(block.BattOVP(), 14400);
  block.SetBattOVP(1);
  EXPECT_EQ(Receive(), 0);  // the taken frame is never decoded again
  EXPECT_EQ(block.BattOVP(), 1);
}

TEST_F(ReceiveFramesTest, MoreThan32WaitingArePurgedWithOneTraceLine) {
  Bytes flood;
  for (int i = 0; i < 4; ++i) flood = Join(flood, ShortFrame(0xB2, 0, 0, 13800));
  flood.push_back(0);  // 33 bytes
  port.Deliver(flood);
  EXPECT_EQ(Receive(), 0);
  EXPECT_EQ(port.PurgeCount(), 1);
  EXPECT_EQ(port.Waiting(), 0u);
  EXPECT_EQ(block.BattFCV(), 0);
  ASSERT_EQ(observer.TraceLines().size(), 1u);
  EXPECT_NE(observer.TraceLines()[0].find("] Receive Data:: ClearCommError: "), std::string::npos);
  EXPECT_EQ(observer.TraceLines()[0].front(), '[');
  EXPECT_EQ(link.RxPos(), 32);
}

TEST_F(ReceiveFramesTest, ExactlyThirtyTwoWaitingAreRead) {
  Bytes four;
  for (int i = 0; i < 4; ++i) four = Join(four, ShortFrame(0xB8, ChannelIndex(i % 2), 0, static_cast<uint16_t>(i)));
  port.Deliver(four);
  EXPECT_EQ(Receive(), 32);
  EXPECT_EQ(port.PurgeCount(), 0);
  EXPECT_EQ(block.Channel(0, 0).CV(), 2);
  EXPECT_EQ(block.Channel(0, 1).CV(), 3);
}

TEST_F(ReceiveFramesTest, UnknownReplyIsConsumed) {
  const TCONFIG_BLOCK before = block;
  port.Deliver(ShortFrame(0xC4, 1, 2, 3));
  EXPECT_EQ(Receive(), 8);
  EXPECT_EQ(block, before);
  for (uint16_t p = 32; p < 40; ++p) EXPECT_EQ(link.RxBuffer()[p], 0xFF) << p;
}

TEST_F(ReceiveFramesTest, WindowIsBlankedAfterDispatch) {
  port.Deliver(ShortFrame(0xB3, 0, 0, 11200));
  Receive();
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(link.RxBuffer()[i], 0xFF) << i;
}

TEST_F(ReceiveFramesTest, LongFrameIsTakenByItsLengthByte) {
  TDEVICE_CONFIG entry;
  link.SetEntry(&entry);
  const std::vector<uint8_t> text = {'S', 'L', '-', '2', '0', 'A'};
  port.Deliver(EncodeLongFrame(0, 0xF0, text));
  EXPECT_EQ(Receive(), 11);
  EXPECT_EQ(entry.Model, "SL-20A");
}

// A long-reply code followed by a length byte of 26 or more is tried as an 8-byte frame.
TEST_F(ReceiveFramesTest, LengthByteOf26OrMoreIsCheckedAsShortFrame) {
  TDEVICE_CONFIG entry;
  entry.Model = "kept";
  link.SetEntry(&entry);
  port.Deliver(ShortFrame(0xF5, 26, 1, 2));  // unknown code: consumed
  EXPECT_EQ(Receive(), 8);
  for (uint16_t p = 32; p < 40; ++p) EXPECT_EQ(link.RxBuffer()[p], 0xFF) << p;
  port.Deliver(ShortFrame(0xF0, 200, 'A', 0x4243));  // model reply with a wrong length byte
  EXPECT_EQ(Receive(), 8);
  for (uint16_t p = 40; p < 48; ++p) EXPECT_EQ(link.RxBuffer()[p], 0xFF) << p;
  EXPECT_EQ(entry.Model, "kept");
}

TEST_F(ReceiveFramesTest, FrameAcrossTheRingEndIsFound) {
  link.SetRxPos(124);
  port.Deliver(ShortFrame(0xB4, 0, 0, 12500));
  EXPECT_EQ(Receive(), 8);
  EXPECT_EQ(link.RxPos(), 36);
  EXPECT_EQ(block.BattUVR(), 12500);
  for (int p : {124, 125, 126, 127, 32, 33, 34, 35}) EXPECT_EQ(link.RxBuffer()[p], 0xFF) << p;
}

TEST_F(ReceiveFramesTest, RingWrapsAfterPosition127) {
  for (int i = 0; i < 12; ++i) {
    port.Deliver(ShortFrame(0xB5, 0, 0, static_cast<uint16_t>(i)));
    Receive();
    EXPECT_EQ(block.BattReserved(), i);
  }
  EXPECT_EQ(link.RxPos(), 32);  // 96 bytes: exactly once round
  port.Deliver(ShortFrame(0xB5, 0, 0, 99));
  Receive();
  EXPECT_EQ(link.RxPos(), 40);
  EXPECT_EQ(block.BattReserved(), 99);
}

TEST_F(ReceiveFramesTest, FramesAreDecodedInRingPositionOrder) {
  // Two replies to the same field, 1111 arriving first at 120..127, 2222 after it at
  // 32..39: the scan decodes 2222 first, so the earlier arrival is the one that stays.
  link.SetRxPos(120);
  port.Deliver(Join(ShortFrame(0xB1, 0, 0, 1111), ShortFrame(0xB1, 0, 0, 2222)));
  Receive();
  EXPECT_EQ(block.BattOVP(), 1111);
}

TEST_F(ReceiveFramesTest, GarbageAroundAFrameIsSkipped) {
  Bytes noisy = {0x13, 0x00, 0xFE};
  noisy = Join(noisy, ShortFrame(0x93, 0, 0, 1805));
  noisy.push_back(0x55);
  port.Deliver(noisy);
  Receive();
  EXPECT_EQ(observer.Raw(ValueId::SolarVoltage), 1805);
}

TEST_F(ReceiveFramesTest, CorruptedFrameIsNeverDecoded) {
  Bytes reply = ShortFrame(0xB1, 0, 0, 14400);
  reply[4] ^= 0x01;
  port.Deliver(reply);
  Receive();
  EXPECT_EQ(block.BattOVP(), 0);
}

TEST_F(ReceiveFramesTest, IdentificationReplySetsDeviceIdentified) {
  port.Deliver(ShortFrame(0x81, 0, 0x12, 0x3456));
  Receive();
  EXPECT_TRUE(link.DeviceIdentified());
  EXPECT_EQ(block.ProductID(), 0x123450u);
  link.Reset();
  EXPECT_FALSE(link.DeviceIdentified());
  EXPECT_EQ(link.RxPos(), 32);
}

TEST_F(ReceiveFramesTest, WithoutPortReadsNothing) {
  EXPECT_EQ(link.ReceiveFrames(nullptr, block), 0);
  EXPECT_EQ(link.RxPos(), 32);
  EXPECT_TRUE(link.ReplyLog().empty());
}

TEST_F(ReceiveFramesTest, FailedStatusReadsNothing) {
  port.Deliver(ShortFrame(0xB1, 0, 0, 14400));
  port.FailStatus(true);
  EXPECT_EQ(Receive(), 0);
  EXPECT_EQ(block.BattOVP(), 0);
}

}  // namespace
}  // namespace lum
