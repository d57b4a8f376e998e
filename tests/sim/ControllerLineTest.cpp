// A simulated controller over a real pseudo-terminal: what it answers, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "PtyClient.h"
#include "base/ByteOrder.h"
#include "base/Crc16.h"
#include "data/TypeTables.h"
#include "sim/Simulator.h"

namespace lum::sim::test {
namespace {

constexpr uint8_t kWrite = 0x80;
constexpr uint32_t kRow1Product = 0x515620;

class ControllerLine : public ::testing::Test {
 protected:
  Controller& Add(const ControllerSetup& setup) {
    Controller& c = sim_.AddController(setup);
    sim_.Start();
    return c;
  }
  // Sends one request and returns the 8-byte reply.
  static ShortReply Ask(PtyClient& client, const Bytes& request) {
    client.Send(request);
    const std::optional<ShortReply> reply = DecodeShortReply(client.ReadUntil(frame::kSize));
    if (!reply) {
      ADD_FAILURE() << "no valid short reply";
      return {};
    }
    return *reply;
  }

  Simulator sim_;
};

TEST_F(ControllerLine, IdentificationCarriesTheRowsProductCode) {
  Controller& c = Add(DefaultSetup(1));
  PtyClient client(c.Path());
  ASSERT_TRUE(client.IsOpen());
  client.Send(Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x51});
  const Bytes reply = client.ReadUntil(frame::kSize);
  ASSERT_EQ(reply.size(), frame::kSize);
  EXPECT_EQ(Crc16(reply.data(), reply.size()), 0);
  EXPECT_EQ(reply[0], 0x00);
  EXPECT_EQ(reply[1], 0x81);
  const uint32_t product = (static_cast<uint32_t>(reply[3]) << 16) | ReadU16Be(reply.data() + 4);
  EXPECT_EQ(product, kRow1Product);
}

TEST_F(ControllerLine, IdentityReplies) {
  ControllerSetup setup = DefaultSetup(0);
  setup.serialNumber = 0x12345678;
  setup.batchCode = 0x0F0607E8;
  setup.firmwareVersion = 123;
  setup.firmwareBuild = 7;
  Controller& c = Add(setup);
  PtyClient client(c.Path());

  const ShortReply firmware = Ask(client, ShortFrame(command::kFirmwareVersion));
  EXPECT_EQ(firmware.code, 0x82);
  EXPECT_EQ(firmware.byteArg, 123);
  EXPECT_EQ(firmware.word, 7);

  const ShortReply serial = Ask(client, ShortFrame(command::kSerialNumber));
  EXPECT_EQ(serial.code, 0x83);
  EXPECT_EQ(serial.index, 0x12);
  EXPECT_EQ(serial.byteArg, 0x34);
  EXPECT_EQ(serial.word, 0x5678);

  const ShortReply batch = Ask(client, ShortFrame(command::kBatchCode));
  EXPECT_EQ(batch.code, 0x85);
  EXPECT_EQ(batch.index, 0x0F);
  EXPECT_EQ(batch.byteArg, 0x06);
  EXPECT_EQ(batch.word, 0x07E8);
}

TEST_F(ControllerLine, LongRepliesForModelTextAndMemory) {
  ControllerSetup setup = DefaultSetup(1);
  setup.model = "LS-2420";
  setup.memoryBase = 0x4000;
  setup.memory = {0x10, 0x11, 0x12, 0x13, 0x14};
  Controller& c = Add(setup);
  PtyClient client(c.Path());

  client.Send(ShortFrame(command::kModelText));
  const Bytes model = client.ReadUntil(7 + 5);
  ASSERT_EQ(model.size(), 12u);
  EXPECT_EQ(Crc16(model.data(), model.size()), 0);
  EXPECT_EQ(model[1], 0xF0);
  EXPECT_EQ(model[2], 7);
  EXPECT_EQ(std::string(model.begin() + 3, model.begin() + 10), "LS-2420");

  // The first memory read of the settings page, as it goes on the line; it runs past the
  // end of the memory image, which reads 0xFF.
  client.Send(Bytes{0x00, 0x7E, 0x00, 0x04, 0x40, 0x02, 0, 0});  // wrong CRC: ignored
  client.Send(ShortFrame(command::kMemoryRead, 0, 4, 0x4002));
  const Bytes memory = client.ReadUntil(4 + 5);
  EXPECT_EQ(memory, (Bytes{0x00, 0xFE, 0x04, 0x12, 0x13, 0x14, 0xFF, memory[7], memory[8]}));
  EXPECT_EQ(Crc16(memory.data(), memory.size()), 0);
  EXPECT_EQ(c.RequestLog().size(), 2u);
}

TEST_F(ControllerLine, SettingsPageMemoryReadIsAnswered) {
  Controller& c = Add(DefaultSetup(1));
  PtyClient client(c.Path());
  client.Send(Bytes{0x00, 0x7E, 0x00, 0x04, 0x40, 0x00, 0x03, 0x22});
  const Bytes reply = client.ReadUntil(4 + 5);
  ASSERT_EQ(reply.size(), 9u);
  EXPECT_EQ(reply[1], 0xFE);
  EXPECT_EQ(reply[2], 4);
  EXPECT_EQ(std::string(reply.begin() + 3, reply.begin() + 7), "LS20");  // the model text heads the factory data
}

TEST_F(ControllerLine, WriteIsStoredAndEchoedThenRead) {
  Controller& c = Add(DefaultSetup(1));
  PtyClient client(c.Path());

  const ShortReply echo = Ask(client, ShortFrame(command::kBattOVP, kWrite, 0, 14100));
  EXPECT_EQ(echo.code, 0xB1);
  EXPECT_EQ(echo.word, 14100);
  EXPECT_EQ(c.Config().BattOVP(), 14100);

  const ShortReply read = Ask(client, ShortFrame(command::kBattOVP));
  EXPECT_EQ(read.word, 14100);

  const ShortReply light = Ask(client, ShortFrame(command::kLightControl, kWrite, 45, 720));
  EXPECT_EQ(light.code, 0xB0);
  EXPECT_EQ(light.byteArg, 45);
  EXPECT_EQ(light.word, 720);
  EXPECT_EQ(c.Config().SCDelay(), 45);
  EXPECT_EQ(c.Config().SCV(), 720);
}

TEST_F(ControllerLine, FunctionFlagsWriteMovesTheReplyAddress) {
  ControllerSetup setup = DefaultSetup(1);
  setup.config.SetCapFlags(0x48);
  Controller& c = Add(setup);
  PtyClient client(c.Path());

  const ShortReply echo = Ask(client, ShortFrame(command::kFuncFlags, 0x15 | kWrite, 7, 0));
  EXPECT_EQ(echo.address, 7);
  EXPECT_EQ(echo.code, 0x87);
  EXPECT_EQ(echo.index, 0x15);  // FuncFlags, bit 7 clear
  EXPECT_EQ(echo.byteArg, 0x48);
  EXPECT_EQ(c.Config().FuncFlags(), 0x15);
  EXPECT_EQ(c.Config().Address(), 7);
}

TEST_F(ControllerLine, ChannelAndSegmentRequests) {
  Controller& c = Add(DefaultSetup(1));
  const uint16_t channel0CC = c.Config().Channel(0, 0).CC();
  PtyClient client(c.Path());

  const ShortReply cc = Ask(client, ShortFrame(command::kChannelCC, kWrite | (1 << 4), 0, 2500));
  EXPECT_EQ(cc.code, 0xB9);
  EXPECT_EQ(cc.index, 0x10);
  EXPECT_EQ(cc.word, 2500);
  EXPECT_EQ(Ask(client, ShortFrame(command::kChannelCC, 0x00)).word, channel0CC);
  EXPECT_EQ(Ask(client, ShortFrame(command::kChannelCC, 0x10)).word, 2500);

  const ShortReply mode = Ask(client, ShortFrame(command::kChannelMode, kWrite | (1 << 4), 0x82, 0));
  EXPECT_EQ(mode.byteArg, 0x82);
  EXPECT_EQ(c.Config().Channel(0, 1).Mode(), 0x82);

  const ShortReply segment = Ask(client, ShortFrame(command::kChannelTiming, kWrite | (1 << 4), 55, (3 << 12) | 123));
  EXPECT_EQ(segment.code, 0xBB);
  EXPECT_EQ(segment.byteArg, 55);
  EXPECT_EQ(segment.word, (3 << 12) | 123);
  EXPECT_EQ(c.Config().Channel(0, 1).Timing(3).Minutes(), 123);
  EXPECT_EQ(c.Config().Channel(0, 1).Timing(3).Power(), 55);

  const ShortReply read = Ask(client, ShortFrame(command::kChannelTiming, 1 << 4, 0, 3 << 12));
  EXPECT_EQ(read.index, 0x10);
  EXPECT_EQ(read.byteArg, 55);
  EXPECT_EQ(read.word, (3 << 12) | 123);
  // Segment 3 of channel 0 and of the second timing table are other records.
  EXPECT_NE(Ask(client, ShortFrame(command::kChannelTiming, 0, 0, 3 << 12)).word, (3 << 12) | 123);
  EXPECT_EQ(Ask(client, ShortFrame(command::kChannelTiming2, 1 << 4, 0, 3 << 12)).word, 3 << 12);
}

TEST_F(ControllerLine, OutsideTheChannelTableGoesUnanswered) {
  Controller& c = Add(DefaultSetup(1));
  PtyClient client(c.Path());
  client.Send(ShortFrame(command::kChannelTiming, 0, 0, 5 << 12));  // segment 5
  client.Send(ShortFrame(command::kChannelMode, 0x0C));             // group 12
  client.Send(ShortFrame(0x55));                                    // unknown command
  client.Send(ShortFrame(command::kMemoryRead, 0, 9, 0x4000));      // more than 8 bytes
  // The marker's reply is the first to come back.
  EXPECT_EQ(Ask(client, ShortFrame(command::kFirmwareVersion)).code, 0x82);
  EXPECT_EQ(c.RequestLog().size(), 5u);
  EXPECT_EQ(c.Config(), DefaultSetup(1).config);
}

TEST_F(ControllerLine, AlteredWritesMakeTheEchoDiffer) {
  ControllerSetup setup = DefaultSetup(1);
  setup.alterations[command::kBattOVP] = {AlterKind::Xor, 0x0101};
  setup.alterations[command::kBattFCV] = {AlterKind::Keep, 0};
  setup.alterations[command::kChannelTiming] = {AlterKind::Increment, 0};
  setup.alterations[command::kChannelMode] = {AlterKind::Increment, 0};
  Controller& c = Add(setup);
  PtyClient client(c.Path());

  EXPECT_EQ(Ask(client, ShortFrame(command::kBattOVP, kWrite, 0, 14100)).word, 14100 ^ 0x0101);
  EXPECT_EQ(Ask(client, ShortFrame(command::kBattFCV, kWrite, 0, 9999)).word, setup.config.BattFCV());
  // The increment stays inside the minutes and keeps the segment number.
  EXPECT_EQ(Ask(client, ShortFrame(command::kChannelTiming, kWrite, 10, (2 << 12) | 0x0FFF)).word, 2 << 12);
  EXPECT_EQ(Ask(client, ShortFrame(command::kChannelMode, kWrite, 2, 0)).byteArg, 3);
  // Other commands are stored as sent.
  EXPECT_EQ(Ask(client, ShortFrame(command::kBattUVP, kWrite, 0, 11000)).word, 11000);
}

TEST_F(ControllerLine, AnswersIdentificationOnlyFromTheGivenTry) {
  ControllerSetup setup = DefaultSetup(2);
  setup.answerFromTry = 2;
  Controller& c = Add(setup);
  PtyClient client(c.Path());
  client.Send(IdentifyRequest(0));
  client.Send(IdentifyRequest(1));
  // Replies keep the order of the requests, so an answer to try 0 or 1 would come first.
  EXPECT_EQ(Ask(client, ShortFrame(command::kFirmwareVersion)).code, 0x82);
  const ShortReply third = Ask(client, IdentifyRequest(2));
  EXPECT_EQ(third.code, 0x81);
  EXPECT_EQ(third.word, 0x5630);
  EXPECT_EQ(c.RequestLog().size(), 4u);
}

TEST_F(ControllerLine, SilentControllerHearsButNeverAnswers) {
  ControllerSetup setup = DefaultSetup(1);
  setup.silent = true;
  Controller& c = Add(setup);
  PtyClient client(c.Path());
  client.Send(IdentifyRequest(0));
  client.Send(ShortFrame(command::kBattOVP, kWrite, 0, 14100));
  ASSERT_TRUE(c.WaitForRequests(2, PtyClient::kPatience));
  EXPECT_TRUE(client.ReadSome(std::chrono::milliseconds(200)).empty());
}

TEST_F(ControllerLine, SplitReplyArrivesInTwoPartsThatMakeOneFrame) {
  ControllerSetup setup = DefaultSetup(1);
  setup.splitReplies = true;
  setup.splitPauseMs = 1000;  // long enough that the first read cannot take both parts, even on a busy machine
  Controller& c = Add(setup);
  PtyClient client(c.Path());
  client.Send(IdentifyRequest(0));
  const Bytes first = client.ReadSome();
  EXPECT_EQ(first.size(), 5u);
  Bytes whole = first;
  const Bytes rest = client.ReadUntil(frame::kSize - first.size());
  whole.insert(whole.end(), rest.begin(), rest.end());
  const std::optional<ShortReply> reply = DecodeShortReply(whole);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 0x81);
}

TEST_F(ControllerLine, NoiseSurroundsButNeverBreaksAReply) {
  ControllerSetup setup = DefaultSetup(1);
  setup.lineNoise = true;
  setup.noiseSeed = 7;
  Controller& c = Add(setup);
  PtyClient client(c.Path());
  for (uint8_t t = 0; t < 5; ++t) {
    client.Send(IdentifyRequest(t));
    // At least one byte of noise follows the reply, so the frame is complete once
    // a valid frame with something after it has come in.
    Bytes got;
    std::optional<size_t> at;
    while (!at || got.size() == *at + frame::kSize) {
      const Bytes some = client.ReadSome();
      ASSERT_FALSE(some.empty()) << "try " << int(t);
      got.insert(got.end(), some.begin(), some.end());
      for (size_t s = 0; !at && s + frame::kSize <= got.size(); ++s)
        if (Crc16(got.data() + s, frame::kSize) == 0) at = s;
    }
    EXPECT_GE(*at, 1u);
    EXPECT_EQ(got[*at + 1], 0x81);
  }
}

TEST_F(ControllerLine, EveryNthReplyIsDamaged) {
  ControllerSetup setup = DefaultSetup(1);
  setup.damageEvery = 2;
  Controller& c = Add(setup);
  PtyClient client(c.Path());
  for (uint8_t t = 0; t < 4; ++t) {
    client.Send(IdentifyRequest(t));
    const Bytes reply = client.ReadUntil(frame::kSize);
    EXPECT_EQ(Crc16(reply.data(), frame::kSize) == 0, t % 2 == 0) << "try " << int(t);
    EXPECT_EQ(reply[frame::kCode], 0x81);
  }
}

TEST_F(ControllerLine, RequestLogKeepsEveryCheckedRequestInOrder) {
  Controller& c = Add(DefaultSetup(1));
  PtyClient client(c.Path());
  const Bytes first = IdentifyRequest(3);
  const Bytes second = ShortFrame(command::kChannelTiming, 0x10, 0, 4 << 12);
  client.Send(Bytes{0x13, 0x37});                        // noise from the line: skipped
  client.Send(Bytes(first.begin(), first.begin() + 3));  // a request split over two writes
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  client.Send(Bytes(first.begin() + 3, first.end()));
  client.Send(second);
  client.ReadUntil(2 * frame::kSize);
  const std::vector<RawFrame> log = c.RequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(Bytes(log[0].begin(), log[0].end()), first);
  EXPECT_EQ(Bytes(log[1].begin(), log[1].end()), second);
  c.ClearRequestLog();
  EXPECT_TRUE(c.RequestLog().empty());
}

TEST_F(ControllerLine, LineCanBeReopenedByTheNextClient) {
  Controller& c = Add(DefaultSetup(1));
  for (int round = 0; round < 3; ++round) {
    PtyClient client(c.Path());
    ASSERT_TRUE(client.IsOpen());
    EXPECT_EQ(Ask(client, IdentifyRequest(0)).code, 0x81) << "round " << round;
  }
}

TEST_F(ControllerLine, ControllersOnTwoLinesAnswerIndependently) {
  ControllerSetup slow = DefaultSetup(0);
  slow.replyDelayMs = 100;
  Controller& a = sim_.AddController(slow);
  sim_.Start();
  Controller& b = sim_.AddController(DefaultSetup(3));  // added while running
  ASSERT_NE(a.Path(), b.Path());
  PtyClient clientA(a.Path());
  PtyClient clientB(b.Path());
  clientA.Send(IdentifyRequest(0));
  clientB.Send(IdentifyRequest(1));
  const std::optional<ShortReply> replyB = DecodeShortReply(clientB.ReadUntil(frame::kSize));
  const std::optional<ShortReply> replyA = DecodeShortReply(clientA.ReadUntil(frame::kSize));
  ASSERT_TRUE(replyA && replyB);
  EXPECT_EQ(replyA->word, DeviceTypes()[0].ProductCode & 0xFFFF);
  EXPECT_EQ(replyB->word, DeviceTypes()[3].ProductCode & 0xFFFF);
  ASSERT_EQ(a.RequestLog().size(), 1u);
  ASSERT_EQ(b.RequestLog().size(), 1u);
  EXPECT_EQ(a.RequestLog()[0][3], 0);
  EXPECT_EQ(b.RequestLog()[0][3], 1);
}

TEST_F(ControllerLine, PowerOnTimeCountsOnFromTheSetup) {
  ControllerSetup setup = DefaultSetup(1);
  setup.measurements.powerOnSeconds = 125 * 60 + 7;
  Controller& c = Add(setup);
  PtyClient client(c.Path());
  const ShortReply reply = Ask(client, ShortFrame(command::kPowerOnTime));
  EXPECT_EQ(reply.code, 0x84);
  const unsigned seconds = reply.word * 60u + reply.byteArg;
  EXPECT_GE(seconds, 125u * 60 + 7);
  EXPECT_LT(reply.byteArg, 60);
}

}  // namespace
}  // namespace lum::sim::test
