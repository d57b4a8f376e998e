#include <gtest/gtest.h>

#include <vector>

#include "link/Frame.h"
#include "link/Link.h"
#include "support/ScriptedLinkTest.h"

namespace lum {
namespace {

using test::Bytes;
using test::ShortFrame;

class SendFrameTest : public test::ScriptedLinkTest {
 protected:
  void Send(uint8_t command, uint8_t index = 0, uint8_t byteArg = 0, uint16_t word = 0) {
    link.SendFrame(block, &port, 0, command, index, byteArg, word);
  }
  // Answers the n-th write with `reply`, cut into chunks of the given sizes (whole if none).
  void AnswerWrite(int n, const Bytes& reply, const std::vector<size_t>& sizes = {}) {
    std::vector<Bytes> chunks;
    size_t at = 0;
    for (const size_t size : sizes.empty() ? std::vector<size_t>{reply.size()} : sizes) {
      chunks.emplace_back(reply.begin() + static_cast<std::ptrdiff_t>(at),
                          reply.begin() + static_cast<std::ptrdiff_t>(at + size));
      at += size;
    }
    port.OnWrite([=](int number, const Bytes&) { return number == n ? chunks : std::vector<Bytes>{}; });
  }
};

TEST_F(SendFrameTest, IdentificationRequestBytes) {
  Send(command::kIdentify);
  ASSERT_FALSE(port.Written().empty());
  EXPECT_EQ(port.Written()[0], (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x51}));
  EXPECT_EQ(Bytes(link.TxFrame().begin(), link.TxFrame().end()), port.Written()[0]);
}

TEST_F(SendFrameTest, ArgumentsAreBigEndian) {
  link.SendFrame(block, &port, 0x05, 0x3B, 0x90, 0x64, 0x43E8);
  const Bytes& sent = port.Written().at(0);
  EXPECT_EQ(sent[0], 0x05);
  EXPECT_EQ(sent[1], 0x3B);
  EXPECT_EQ(sent[2], 0x90);
  EXPECT_EQ(sent[3], 0x64);
  EXPECT_EQ(sent[4], 0x43);
  EXPECT_EQ(sent[5], 0xE8);
}

TEST_F(SendFrameTest, UnansweredRequestGoesOutThreeTimes) {
  Send(command::kIdentify);
  EXPECT_EQ(port.Written().size(), 3u);
  EXPECT_EQ(clock.Sleeps(), (std::vector<unsigned>{32, 16, 32, 16, 32, 16}));
  EXPECT_EQ(clock.TotalSleptMs(), 144u);
  EXPECT_TRUE(observer.TraceLines().empty());
}

TEST_F(SendFrameTest, RetriesWaitLongerWhileDeviceIdentified) {
  link.SetDeviceIdentified(true);
  Send(command::kBatteryVoltage);
  EXPECT_EQ(port.Written().size(), 3u);
  EXPECT_EQ(clock.Sleeps(), (std::vector<unsigned>{32, 16, 32, 32, 16, 32, 32, 16}));
  EXPECT_EQ(clock.TotalSleptMs(), 208u);
}

TEST_F(SendFrameTest, PromptReplyEndsTheExchangeAfterOneTry) {
  AnswerWrite(1, ShortFrame(0x81, 0, 0x12, 0x3456));
  Send(command::kIdentify);
  EXPECT_EQ(port.Written().size(), 1u);
  EXPECT_EQ(clock.TotalSleptMs(), 48u);
  EXPECT_EQ(block.ProductID(), 0x123450u);
  EXPECT_TRUE(link.DeviceIdentified());
}

TEST_F(SendFrameTest, ReplyToTheSecondTryIsDecoded) {
  AnswerWrite(2, ShortFrame(0xB1, 0, 0, 14400));
  Send(0x31);
  EXPECT_EQ(port.Written().size(), 2u);
  EXPECT_EQ(block.BattOVP(), 14400);
}

// Part of a reply came in: the request is not repeated, the rest is waited for by reads.
TEST_F(SendFrameTest, PartialReplyIsWaitedForWithoutAskingAgain) {
  AnswerWrite(1, ShortFrame(0xB2, 0, 0, 13800), {5, 3});
  Send(0x32);
  EXPECT_EQ(port.Written().size(), 1u);
  EXPECT_EQ(clock.Sleeps(), (std::vector<unsigned>{32, 16, 16}));
  EXPECT_EQ(block.BattFCV(), 13800);
}

TEST_F(SendFrameTest, PartialReplyNeverCompletedEndsAfterThreeTries) {
  AnswerWrite(1, Bytes{0x00, 0xB2, 0x00});
  Send(0x32);
  EXPECT_EQ(port.Written().size(), 1u);
  EXPECT_EQ(clock.Sleeps(), (std::vector<unsigned>{32, 16, 16, 16}));
}

// A reply damaged on the line costs what a lost one costs: the same tries and the same waits.
TEST_F(SendFrameTest, DamagedReplyIsAskedForAgainLikeALostOne) {
  const Bytes good = ShortFrame(0xB1, 0, 0, 14400);
  Bytes damaged = good;
  damaged[frame::kWord] ^= 0x01;
  link.SetDeviceIdentified(true);
  port.OnWrite([&](int number, const Bytes&) { return std::vector<Bytes>{number == 1 ? damaged : good}; });
  Send(0x31);
  EXPECT_EQ(port.Written().size(), 2u);
  EXPECT_EQ(block.BattOVP(), 14400);
  const std::vector<unsigned> damagedWaits = clock.Sleeps();

  test::FakeClock lostClock;
  Link lostLink(lostClock, observer);
  lostLink.SetDeviceIdentified(true);
  test::ScriptedPort lostPort;
  lostPort.OnWrite(
      [&](int number, const Bytes&) { return number == 1 ? std::vector<Bytes>{} : std::vector<Bytes>{good}; });
  TCONFIG_BLOCK lostBlock;
  lostLink.SendFrame(lostBlock, &lostPort, 0, 0x31, 0, 0, 0);
  EXPECT_EQ(lostPort.Written().size(), 2u);
  EXPECT_EQ(damagedWaits, lostClock.Sleeps());
}

TEST_F(SendFrameTest, RepliesDamagedEveryTimeEndAfterThreeTries) {
  Bytes damaged = ShortFrame(0xB1, 0, 0, 14400);
  damaged[frame::kCrc] ^= 0x80;
  port.OnWrite([&](int, const Bytes&) { return std::vector<Bytes>{damaged}; });
  Send(0x31);
  EXPECT_EQ(port.Written().size(), 3u);
  EXPECT_EQ(clock.TotalSleptMs(), 144u);
  EXPECT_EQ(block.BattOVP(), 0);
}

// The head of a long reply ends the exchange as before; its tail is decoded by the next one.
TEST_F(SendFrameTest, HeadOfALongReplyIsNotTakenForDamage) {
  const std::vector<uint8_t> text{'L', 'S', '-', '2', '4', '2', '0', 'D'};
  const Bytes reply = EncodeLongFrame(0, 0xF0, text);
  AnswerWrite(1, reply, {10, reply.size() - 10});
  Send(command::kModelText);
  EXPECT_EQ(port.Written().size(), 1u);
  Send(command::kSerialNumber);
  EXPECT_EQ(port.Written().size(), 2u);
  EXPECT_EQ(link.ReplyLog().size(), 1u);
  EXPECT_EQ(link.ReplyLog().front().code, 0xF0);
}

TEST_F(SendFrameTest, NullPortDoesNothing) {
  link.SendFrame(block, nullptr, 0, 1, 0, 0, 0);
  EXPECT_TRUE(clock.Sleeps().empty());
  EXPECT_TRUE(link.ReplyLog().empty());
  EXPECT_TRUE(observer.TraceLines().empty());
}

TEST_F(SendFrameTest, FailingStatusEndsTheExchangeWithOneLine) {
  port.FailStatus(true);
  Send(command::kIdentify);
  EXPECT_TRUE(port.Written().empty());
  ASSERT_EQ(observer.TraceLines().size(), 1u);
  const std::string& line = observer.TraceLines()[0];
  EXPECT_NE(line.find("] Send Data:: ClearCommError: scripted status failure"), std::string::npos);
  EXPECT_EQ(line.front(), '[');
}

TEST_F(SendFrameTest, FailedWriteIsLoggedAndTheExchangeStillWaits) {
  port.FailWrites(true);
  Send(command::kIdentify);
  EXPECT_EQ(observer.CountTrace("] Send Data:: WriteFileError: scripted write failure"), 3);
  EXPECT_EQ(clock.TotalSleptMs(), 144u);
}

TEST_F(SendFrameTest, LineErrorPassDoesNotCountAsTry) {
  port.ReportLineErrors(line_error::kFraming, 2);
  AnswerWrite(1, ShortFrame(0xB3, 0, 0, 11200));
  Send(0x33);
  EXPECT_EQ(port.Written().size(), 1u);
  EXPECT_EQ(block.BattUVP(), 11200);
  EXPECT_EQ(observer.CountTrace("] Send Data:: 系统已尝试修复此错误!"), 2);
  EXPECT_EQ(observer.CountTrace("dwError"), 0);  // gated, CheckBoxError unchecked
}

TEST_F(SendFrameTest, LineErrorDetailsOnlyWithShowErrorDetails) {
  observer.SetShowErrorDetails(true);
  port.ReportLineErrors(line_error::kOverrun | line_error::kFraming, 1, 3);
  Send(0x33);
  ASSERT_GE(observer.TraceLines().size(), 2u);
  const std::string& details = observer.TraceLines()[0];
  EXPECT_NE(details.find("] Send Data:: dwError: 0000000A ("), std::string::npos) << details;
  EXPECT_NE(details.find("), cbIn: 0, cbOut: 3"), std::string::npos) << details;
  EXPECT_NE(observer.TraceLines()[1].find("系统已尝试修复此错误!"), std::string::npos);
  // bytes still going out: 32 ms before the pass is repeated
  EXPECT_EQ(clock.Sleeps().front(), 32u);
  EXPECT_EQ(clock.TotalSleptMs(), 32u + 144u);
}

TEST_F(SendFrameTest, LineErrorPassReadsWhatIsWaiting) {
  port.ReportLineErrors(line_error::kParity, 1);
  port.Deliver(ShortFrame(0xB4, 0, 0, 12500));
  Send(0x34);
  EXPECT_EQ(block.BattUVR(), 12500);
  // the bytes read in the repair pass do not count: the request is still sent three times
  EXPECT_EQ(port.Written().size(), 3u);
}

TEST_F(SendFrameTest, LineErrorPassesAreBounded) {
  port.ReportLineErrors(line_error::kFraming, 1000);
  Send(command::kIdentify);
  EXPECT_TRUE(port.Written().empty());
  EXPECT_EQ(observer.CountTrace("系统已尝试修复此错误!"), 8);
  EXPECT_EQ(observer.CountTrace("] Send Data:: Line errors persist, request abandoned."), 1);
  EXPECT_EQ(observer.TraceLines().size(), 9u);
}

TEST_F(SendFrameTest, LineErrorsBetweenTriesStartANewRun) {
  // 7 error passes, a clean try, then more errors (the read of that try takes one of them):
  // neither run reaches the bound of 8, together they would.
  int writes = 0;
  port.OnWrite([&](int, const Bytes&) {
    if (++writes == 1) port.ReportLineErrors(line_error::kFraming, 7);
    return std::vector<Bytes>{};
  });
  port.ReportLineErrors(line_error::kFraming, 7);
  Send(command::kIdentify);
  EXPECT_EQ(port.Written().size(), 3u);
  EXPECT_EQ(observer.CountTrace("Line errors persist"), 0);
}

}  // namespace
}  // namespace lum
