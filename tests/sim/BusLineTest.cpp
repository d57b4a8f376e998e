// The simulated bus without a pseudo-terminal: who answers, collisions, plugging.
#include <gtest/gtest.h>

#include "sim/BenchControl.h"
#include "sim/BusLine.h"
#include "sim/ControllerSetup.h"
#include "sim/PortsIni.h"
#include "sim/SetupText.h"

namespace lum::sim {
namespace {

ControllerSetup Unit(uint8_t address, uint32_t serial) {
  ControllerSetup setup = DefaultSetup(1);
  setup.config.SetAddress(address);
  setup.serialNumber = serial;
  return setup;
}

Request Identify(uint8_t address) {
  Request request;
  request.address = address;
  request.code = command::kIdentify;
  return request;
}

RawFrame Frame(const Request& r) { return EncodeFrame(r.address, r.code, r.index, r.byteArg, r.word); }

std::optional<Bytes> Ask(BusLine& line, uint8_t address) {
  const Request request = Identify(address);
  return line.Answer(request, Frame(request), Measurements{});
}

TEST(BusLineTest, EachUnitAnswersOnlyItsOwnAddressAndAllAnswerAddressZero) {
  BusLine line({Responder(Unit(5, 5)), Responder(Unit(6, 6)), std::nullopt});
  const auto five = Ask(line, 5);
  ASSERT_TRUE(five);
  ASSERT_EQ(five->size(), frame::kSize);
  EXPECT_EQ((*five)[frame::kAddress], 5);
  EXPECT_TRUE(CrcChecks(five->data(), five->size()));
  EXPECT_FALSE(Ask(line, 7));
  EXPECT_EQ(line.Log(0).size(), 1u);
  EXPECT_TRUE(line.Log(1).empty());

  // Address 0 reaches both: they collide.
  const auto everyone = Ask(line, 0);
  ASSERT_TRUE(everyone);
  EXPECT_EQ(everyone->size(), 2 * frame::kSize);
  EXPECT_EQ(line.Log(1).size(), 1u);
}

TEST(BusLineTest, TwoUnitsOnOneAddressAnswerMixedBytesThatHoldNoFrame) {
  BusLine line({Responder(Unit(5, 0x51)), Responder(Unit(5, 0x52))});
  const auto mixed = Ask(line, 5);
  ASSERT_TRUE(mixed);
  ASSERT_EQ(mixed->size(), 2 * frame::kSize);
  for (size_t start = 0; start + frame::kSize <= mixed->size(); ++start)
    EXPECT_FALSE(CrcChecks(mixed->data() + start, frame::kSize)) << start;
  EXPECT_EQ(MixReplies({1, 2, 3}, {7}), (Bytes{1, 7, 2, 3}));
}

TEST(BusLineTest, UnitsArePluggedUnpluggedAndReaddressedWhileTheLineRuns) {
  BusLine line({Responder(Unit(5, 5)), std::nullopt});
  EXPECT_TRUE(line.Plug(1, Responder(Unit(9, 9))));
  EXPECT_TRUE(Ask(line, 9));
  EXPECT_TRUE(line.Readdress(1, 12));
  EXPECT_FALSE(Ask(line, 9));
  ASSERT_TRUE(Ask(line, 12));
  EXPECT_EQ((*Ask(line, 12))[frame::kAddress], 12);
  EXPECT_TRUE(line.Plug(0, std::nullopt));
  EXPECT_FALSE(Ask(line, 5));
  EXPECT_FALSE(line.Config(0));
  EXPECT_FALSE(line.Plug(2, std::nullopt));
  EXPECT_FALSE(line.Readdress(0, 3));
}

TEST(BusLineTest, ControlLinesNameAUnitOfABus) {
  const ControlCommand readdress = ParseControlLine("address 2#3 17");
  EXPECT_EQ(readdress.action, ControlCommand::Action::Readdress);
  EXPECT_EQ(readdress.port, 2);
  EXPECT_EQ(readdress.unit, 3);
  EXPECT_EQ(readdress.address, 17);
  const ControlCommand unplug = ParseControlLine("unplug 1#2");
  EXPECT_EQ(unplug.action, ControlCommand::Action::Unplug);
  EXPECT_EQ(unplug.unit, 2);
  EXPECT_THROW(ParseControlLine("address 1 17"), SetupTextError);
  EXPECT_THROW(ParseControlLine("address 1#1 256"), SetupTextError);
  EXPECT_THROW(ParseControlLine("address 1#x 3"), SetupTextError);
  EXPECT_THROW(ParseControlLine("unplug 1#0"), SetupTextError);
}

TEST(BusLineTest, ThePortsFileMakesTheBusesPortsBuses) {
  EXPECT_EQ(PortsIniText({"/dev/a", "/dev/b"}, {"", "1-9"}), "[Ports]\nCOM1=/dev/a\nCOM2=/dev/b\n[Bus]\nCOM2=1-9\n");
  EXPECT_EQ(PortsIniText({"/dev/a"}), "[Ports]\nCOM1=/dev/a\n");
}

}  // namespace
}  // namespace lum::sim
