// Plugging and unplugging simulated controllers: an empty port stays silent, a plugged unit
// answers with its own identity, a unit that vanishes mid-write stops after the given write;
// and the command, schedule and stream texts that drive it.
#include <gtest/gtest.h>

#include <set>

#include "PtyClient.h"
#include "sim/BenchControl.h"
#include "sim/SetupText.h"
#include "sim/Simulator.h"

namespace lum::sim::test {
namespace {

constexpr uint8_t kWrite = 0x80;
constexpr std::chrono::milliseconds kSilence{300};  // a plugged unit answers well within this

TEST(BenchPortLine, EmptyPortIsSilentUntilAUnitIsPluggedAndAgainAfterItIsTaken) {
  Simulator sim;
  Controller& port = sim.AddController(ParseControllerSetup("row=1,unplugged"));
  sim.Start();
  PtyClient client(port.Path());
  EXPECT_FALSE(port.Plugged());
  client.Send(ShortFrame(command::kSerialNumber));
  EXPECT_TRUE(client.ReadSome(kSilence).empty());
  EXPECT_TRUE(port.RequestLog().empty()) << "nobody there to log it";

  port.Plug(ParseControllerSetup("row=1,serial=0x0A000001"));
  client.Send(ShortFrame(command::kSerialNumber));
  const auto reply = DecodeShortReply(client.ReadUntil(frame::kSize));
  ASSERT_TRUE(reply);
  const uint32_t serial =
      static_cast<uint32_t>(reply->index) << 24 | static_cast<uint32_t>(reply->byteArg) << 16 | reply->word;
  EXPECT_EQ(serial, 0x0A000001u) << "the plugged unit's own serial";

  port.Unplug();
  client.Send(ShortFrame(command::kSerialNumber));
  EXPECT_TRUE(client.ReadSome(kSilence).empty());
}

TEST(BenchPortLine, UnitVanishesRightAfterItsNthWrite) {
  Simulator sim;
  Controller& port = sim.AddController(ParseControllerSetup("row=1,vanish=2"));
  sim.Start();
  PtyClient client(port.Path());
  client.Send(ShortFrame(command::kBattOVP));  // reads do not count
  EXPECT_EQ(client.ReadUntil(frame::kSize).size(), frame::kSize);
  client.Send(ShortFrame(command::kBattOVP, kWrite, 0, 14100));
  EXPECT_EQ(client.ReadUntil(frame::kSize).size(), frame::kSize);
  client.Send(ShortFrame(command::kBattFCV, kWrite, 0, 13900));
  EXPECT_EQ(client.ReadUntil(frame::kSize).size(), frame::kSize) << "the second write is still answered";
  EXPECT_FALSE(port.Plugged());
  client.Send(ShortFrame(command::kBattUVP, kWrite, 0, 11000));
  EXPECT_TRUE(client.ReadSome(kSilence).empty());
  EXPECT_EQ(port.Config().BattFCV(), 13900);
  EXPECT_NE(port.Config().BattUVP(), 11000);
}

TEST(BenchControlText, CommandsSchedulesAndStreams) {
  const ControlCommand plug = ParseControlLine("plug 2 row=0,serial=5");
  EXPECT_EQ(plug.action, ControlCommand::Action::Plug);
  EXPECT_EQ(plug.port, 2);
  EXPECT_EQ(plug.setup.serialNumber, 5u);
  EXPECT_EQ(ParseControlLine("plug 1").setup.serialNumber, DefaultSetup(1).serialNumber) << "the default unit";
  EXPECT_EQ(ParseControlLine("unplug 3").action, ControlCommand::Action::Unplug);
  const ControlCommand restart = ParseControlLine("restart 4");
  EXPECT_EQ(restart.action, ControlCommand::Action::Restart);
  EXPECT_EQ(restart.port, 4);
  for (const char* bad :
       {"plug", "unplug x", "unplug 1 row=1", "jump 1", "plug 0 row=1", "plug 1 row=9", "restart", "restart 1 row=1"})
    EXPECT_THROW(ParseControlLine(bad), SetupTextError) << bad;

  const auto schedule = ParseSchedule("# a bench\n2.5 unplug 1\n\n0.5 plug 1 row=1\n");
  ASSERT_EQ(schedule.size(), 2u);
  EXPECT_EQ(schedule[0].at, std::chrono::milliseconds(500)) << "sorted by time";
  EXPECT_EQ(schedule[1].at, std::chrono::milliseconds(2500));
  try {
    ParseSchedule("1 plug 1 row=1\nsoon unplug 1\n");
    ADD_FAILURE() << "a bad time was accepted";
  } catch (const SetupTextError& e) {
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
  }

  std::vector<ControllerSetup> setups = {ParseControllerSetup("row=1,serial=10"),
                                         ParseControllerSetup("row=1,serial=11,unplugged")};
  const auto stream = StreamSchedule(setups, std::chrono::seconds(5), std::chrono::seconds(1), 3);
  std::set<uint32_t> serials = {10, 11};
  for (const ControlCommand& command : stream)
    if (command.action == ControlCommand::Action::Plug) {
      EXPECT_TRUE(serials.insert(command.setup.serialNumber).second) << "every new unit has a serial of its own";
      EXPECT_FALSE(command.setup.unplugged);
    }
  EXPECT_EQ(serials.size(), 2u + 6u);
  EXPECT_EQ(stream.front().action, ControlCommand::Action::Unplug);
  EXPECT_EQ(stream.front().at, std::chrono::seconds(5));

  Simulator sim;
  std::vector<Controller*> ports = {&sim.AddController(setups[1])};
  EXPECT_THROW(Apply(ParseControlLine("unplug 2"), ports), SetupTextError) << "there is one port";
  Apply(ParseControlLine("plug 1 row=1"), ports);
  EXPECT_TRUE(ports[0]->Plugged());
}

}  // namespace
}  // namespace lum::sim::test
