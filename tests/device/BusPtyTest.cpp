// Several controllers on one simulated line: scan, write, address assignment and the monitor
// over a real pseudo-terminal, real clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "DeviceTestSupport.h"
#include "base/Clock.h"
#include "device/AssignAddress.h"
#include "device/Monitor.h"
#include "device/Scan.h"
#include "device/Write.h"
#include "sim/Simulator.h"

namespace lum {
namespace {

// A unit of row 1 at `address` with its own serial number.
sim::ControllerSetup Unit(uint8_t address, uint32_t serial) { return sim::BusUnit(1, address, serial); }

class BusPtyTest : public ::testing::Test {
 protected:
  BusPtyTest() { messages.FillBuiltIn(); }
  // COM3 is the bus, looked at on `addresses`.
  DeviceContext Context(const sim::Controller& bus, const std::string& addresses) {
    PortMap map = PortMap::FromSection({{"COM3", bus.Path()}});
    std::string error;
    map.SetBus(3, *ParseBusAddresses(addresses, &error));
    opener = std::make_unique<PortMapOpener>(map, &observer);
    return DeviceContext{link, entries, *opener, messages};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : entries.DeviceEntries()) names.push_back(entry->Name);
    return names;
  }
  int CountLines(const std::string& fragment) const {
    const auto& lines = observer.InfoLines();
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(fragment) != std::string::npos; }));
  }
  static bool AnyToAddressZero(const sim::Controller& bus) {
    for (size_t slot = 0; slot < bus.Units(); ++slot)
      for (const sim::RawFrame& frame : bus.UnitLog(slot))
        if (frame[frame::kAddress] == 0) return true;
    return false;
  }

  test::RecordingObserver observer;
  Link link{SystemClock(), observer};
  EntryStore entries;
  MessageTable messages;
  std::unique_ptr<PortMapOpener> opener;
  sim::Simulator simulator;
};

TEST_F(BusPtyTest, ScanOfOneToThirtyTwoFindsExactlyTheControllersPresentEachByItsAddress) {
  sim::Controller& bus = simulator.AddBus(Unit(3, 0x03), {Unit(3, 0x03), Unit(5, 0x05), Unit(6, 0x06), Unit(31, 0x1F)});
  simulator.Start();
  DeviceContext context = Context(bus, "1-32");

  ASSERT_TRUE(ScanPorts(context, {"A", "B", "C", "D"}));

  EXPECT_EQ(Names(), (std::vector<std::string>{"COM3 #3", "COM3 #5", "COM3 #6", "COM3 #31"}));
  for (const auto& entry : entries.DeviceEntries()) {
    EXPECT_TRUE(entry->FromDevice) << entry->Name;
    EXPECT_EQ(entry->Port, 3);
    // Each entry holds its own controller's identity, not a neighbour's.
    EXPECT_EQ(entry->SerialNumber, entry->BusAddress) << entry->Name;
    EXPECT_EQ(entry->Config.Address(), entry->BusAddress);
  }
  EXPECT_EQ(CountLines("] Connected device is B @COM3 #5"), 1);
  EXPECT_EQ(CountLines("garbled"), 0);
  EXPECT_FALSE(AnyToAddressZero(bus));
}

TEST_F(BusPtyTest, AWriteToOneAddressNeverChangesItsNeighbour) {
  sim::Controller& bus = simulator.AddBus(Unit(5, 0x05), {Unit(5, 0x05), Unit(6, 0x06)});
  simulator.Start();
  DeviceContext context = Context(bus, "5-6");
  ASSERT_TRUE(ScanPorts(context, {}));
  ASSERT_EQ(Names(), (std::vector<std::string>{"COM3 #5", "COM3 #6"}));
  const TCONFIG_BLOCK sixBefore = *bus.UnitConfig(1);

  TDEVICE_CONFIG& five = *entries.DeviceEntries()[0];
  const uint16_t changed = static_cast<uint16_t>(five.Config.BattFCV() + 10);
  five.Config.SetBattFCV(changed);
  entries.SetCurrentEntry(&five);
  observer.Clear();

  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);

  EXPECT_EQ(bus.UnitConfig(0)->BattFCV(), changed);
  EXPECT_EQ(bus.UnitConfig(1)->bytes(), sixBefore.bytes());
  // Read back: a new scan finds #5 holding the value and #6 as it was.
  ASSERT_TRUE(ScanPorts(context, {}));
  ASSERT_EQ(entries.DeviceEntries().size(), 2u);
  EXPECT_EQ(entries.DeviceEntries()[0]->Config.BattFCV(), changed);
  EXPECT_EQ(entries.DeviceEntries()[1]->Config.BattFCV(), sixBefore.BattFCV());
  EXPECT_FALSE(AnyToAddressZero(bus));
}

TEST_F(BusPtyTest, TwoControllersOnOneAddressAreNamedAndGetNoEntry) {
  sim::Controller& bus = simulator.AddBus(Unit(5, 0x51), {Unit(5, 0x51), Unit(5, 0x52), Unit(7, 0x07)});
  simulator.Start();
  DeviceContext context = Context(bus, "5-7");
  std::vector<SharedAddress> shared;
  context.shared = &shared;

  ASSERT_TRUE(ScanPorts(context, {}));

  EXPECT_EQ(Names(), (std::vector<std::string>{"COM3 #7"}));
  EXPECT_EQ(shared, (std::vector<SharedAddress>{{3, 5}}));
  EXPECT_EQ(CountLines("扫描总线 @COM3:: 地址 5 回复混乱：可能有两台控制器共用此地址"), 1);
  EXPECT_EQ(CountLines("回复混乱"), 1);  // the silent 6 and the clean 7 are not taken for collisions
}

TEST_F(BusPtyTest, AControllerUnpluggedMidScanIsNeverReadOkAndItsNeighboursAre) {
  sim::Controller& bus = simulator.AddBus(Unit(1, 0x01), {Unit(1, 0x01), Unit(2, 0x02), Unit(3, 0x03)});
  simulator.Start();
  DeviceContext context = Context(bus, "1-3");
  std::thread unplugger([&bus] {
    // Once the read of #2 is under way, it is taken off the line.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (bus.UnitLog(1).size() < 3 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    bus.UnplugUnit(1);
  });
  const bool anyRead = ScanPorts(context, {});
  unplugger.join();

  EXPECT_TRUE(anyRead);
  ASSERT_EQ(Names(), (std::vector<std::string>{"COM3 #1", "COM3 #2", "COM3 #3"}));
  EXPECT_TRUE(entries.DeviceEntries()[0]->FromDevice);
  EXPECT_FALSE(entries.DeviceEntries()[1]->FromDevice);
  EXPECT_TRUE(entries.DeviceEntries()[1]->ReadIncomplete);
  EXPECT_TRUE(entries.DeviceEntries()[2]->FromDevice);
  EXPECT_EQ(std::count(observer.InfoLines().begin(), observer.InfoLines().end(), "Failure"), 1);
}

TEST_F(BusPtyTest, AReplyCarryingAnotherAddressIsNotTaken) {
  // A controller that answers every request, always with its own address 9: asked at 4, it
  // must not be taken for the controller at 4.
  sim::Controller& wrong = simulator.AddController(Unit(9, 0x09));
  simulator.Start();
  DeviceContext context = Context(wrong, "4");

  EXPECT_FALSE(ScanPorts(context, {}));

  EXPECT_TRUE(entries.DeviceEntries().empty());
  EXPECT_FALSE(wrong.RequestLog().empty());
  const auto& traces = observer.TraceLines();
  EXPECT_TRUE(std::any_of(traces.begin(), traces.end(), [](const std::string& line) {
    return line.find("reply from address 9 while 4 was asked, not taken") != std::string::npos;
  }));
  EXPECT_EQ(CountLines("No controller answered on COM3."), 1);
}

TEST_F(BusPtyTest, AnAddressIsGivenOnlyWhenFreeAndIsVerifiedWhereItWasSet) {
  sim::ControllerSetup fresh = Unit(1, 0x01);
  const uint8_t flags = fresh.config.FuncFlags();
  sim::Controller& bus = simulator.AddBus(fresh, {fresh, Unit(7, 0x07)});
  simulator.Start();
  auto port = PortMap::FromSection({{"COM3", bus.Path()}}).Open(3, kDeviceBaud);
  ASSERT_TRUE(port);

  EXPECT_EQ(AssignAddress(link, port.get(), 1, 7), AddressResult::Taken);
  EXPECT_EQ(bus.UnitConfig(0)->Address(), 1);
  EXPECT_EQ(AssignAddress(link, port.get(), 2, 8), AddressResult::NoController);

  EXPECT_EQ(AssignAddress(link, port.get(), 1, 8), AddressResult::Set);
  EXPECT_EQ(bus.UnitConfig(0)->Address(), 8);
  EXPECT_EQ(bus.UnitConfig(0)->FuncFlags(), flags);
  EXPECT_EQ(bus.UnitConfig(1)->Address(), 7);
  EXPECT_FALSE(AnyToAddressZero(bus));
  // The write's reply, from the new address already, is taken: the write goes out once.
  const auto& writes = bus.UnitLog(0);
  EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                          [](const sim::RawFrame& frame) {
                            return frame[frame::kCode] == command::kFuncFlags &&
                                   (frame[frame::kIndex] & frame::kWriteFlag) != 0;
                          }),
            1);
  const auto& traces = observer.TraceLines();
  EXPECT_TRUE(std::none_of(traces.begin(), traces.end(),
                           [](const std::string& line) { return line.find("not taken") != std::string::npos; }));
}

// Address and flags travel in one write: flags that could not be read are never written.
TEST_F(BusPtyTest, AControllerThatDoesNotAnswerItsFlagsReadIsNotReaddressed) {
  sim::ControllerSetup mute = Unit(1, 0x01);
  mute.answerLimit = 1;  // answers its identification, then falls silent
  sim::Controller& bus = simulator.AddBus(mute, {mute});
  simulator.Start();
  auto port = PortMap::FromSection({{"COM3", bus.Path()}}).Open(3, kDeviceBaud);
  ASSERT_TRUE(port);

  EXPECT_EQ(AssignAddress(link, port.get(), 1, 8), AddressResult::NoController);
  for (const sim::RawFrame& frame : bus.UnitLog(0))
    EXPECT_FALSE(frame[frame::kCode] == command::kFuncFlags && (frame[frame::kIndex] & frame::kWriteFlag) != 0)
        << "a flags write was sent";
  EXPECT_FALSE(bus.UnitLog(0).empty()) << "the unit heard its requests";
}

TEST_F(BusPtyTest, TheMonitorPollsEachControllerOfTheBusInTurn) {
  sim::Controller& bus = simulator.AddBus(Unit(2, 0x02), {Unit(2, 0x02), Unit(4, 0x04), Unit(6, 0x06)});
  simulator.Start();
  DeviceContext context = Context(bus, "2,4,6");
  ASSERT_TRUE(ScanPorts(context, {}));
  ASSERT_EQ(entries.DeviceEntries().size(), 3u);
  std::vector<size_t> heardBefore;
  for (size_t slot = 0; slot < 3; ++slot) heardBefore.push_back(bus.UnitLog(slot).size());
  observer.Clear();

  Monitor monitor(link, entries);
  ASSERT_TRUE(monitor.Open(bus.Path()));
  monitor.SetBus(3, {2, 4, 6});
  constexpr int kTicks = 2;
  for (int tick = 0; tick < kTicks; ++tick) ASSERT_TRUE(monitor.Poll(true));
  monitor.Close();

  for (size_t slot = 0; slot < 3; ++slot) {
    const auto log = bus.UnitLog(slot);
    const auto heard =
        test::Decode(std::vector<sim::RawFrame>(log.begin() + static_cast<ptrdiff_t>(heardBefore[slot]), log.end()));
    ASSERT_EQ(heard.size(), 6u * kTicks) << slot;
    EXPECT_TRUE(
        std::all_of(heard.begin(), heard.end(), [&](const sim::Request& r) { return r.address == 2 + 2 * slot; }));
  }
  // Every poll of every controller was answered.
  const auto& values = observer.Values();
  EXPECT_EQ(
      std::count_if(values.begin(), values.end(), [](const Measurement& m) { return m.id == ValueId::BatteryVoltage; }),
      3 * kTicks);
}

}  // namespace
}  // namespace lum
