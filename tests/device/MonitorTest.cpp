// The live-monitor port and the memory reads.
#include <gtest/gtest.h>

#include <vector>

#include "DeviceTestSupport.h"
#include "base/Clock.h"
#include "device/Monitor.h"
#include "device/Scan.h"
#include "link/Frame.h"
#include "sim/Simulator.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

class MonitorPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    controller = &simulator.AddController(sim::DefaultSetup(0));
    simulator.Start();
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entries.SetCurrentEntry(&entries.AddFileEntry(std::move(entry)));
    ASSERT_TRUE(monitor.Open(controller->Path()));
  }
  std::vector<uint8_t> LoggedCommands() const { return test::Commands(test::Decode(controller->RequestLog())); }

  test::RecordingObserver observer;
  Link link{SystemClock(), observer};
  EntryStore entries;
  Monitor monitor{link, entries};
  sim::Simulator simulator;
  sim::Controller* controller = nullptr;
};

const std::vector<uint8_t> kPoll = {command::kPowerOnTime,  command::kTemperature,  command::kBatteryVoltage,
                                    command::kSolarVoltage, command::kLoad1Voltage, command::kLoad1Current};

TEST_F(MonitorPtyTest, PollAsksTheSixMeasurementsAndShowsThem) {
  EXPECT_TRUE(link.DeviceIdentified());
  ASSERT_TRUE(monitor.Poll(true));

  EXPECT_EQ(LoggedCommands(), kPoll);
  // Every measurement of the poll arrives once, as a number in its unit.
  std::vector<ValueId> ids;
  for (const Measurement& value : observer.Values()) {
    ids.push_back(value.id);
    EXPECT_EQ(value.unit, UnitOf(value.id));
  }
  EXPECT_EQ(ids, (std::vector<ValueId>{ValueId::PowerOnTime, ValueId::Temperature, ValueId::BatteryVoltage,
                                       ValueId::SolarVoltage, ValueId::Load1Voltage, ValueId::Load1Current}));
  // The simulated values drift upwards from their resting values by at most these swings.
  const sim::MeasurementSetup& rest = sim::DefaultSetup(0).measurements;
  EXPECT_GE(*observer.Raw(ValueId::Temperature), rest.temperature);
  EXPECT_LE(*observer.Raw(ValueId::Temperature), rest.temperature + 3);
  EXPECT_GE(*observer.Raw(ValueId::BatteryVoltage), rest.batteryMv);
  EXPECT_LE(*observer.Raw(ValueId::BatteryVoltage), rest.batteryMv + 300);
  EXPECT_GE(*observer.Raw(ValueId::PowerOnTime), rest.powerOnSeconds);
  // The temperature reply carries the controller's limit into CurrentEntry's block.
  EXPECT_EQ(entries.CurrentEntry()->Config.OTP(), sim::DefaultSetup(0).config.OTP());
}

TEST_F(MonitorPtyTest, TicksThatMustNotSendSendNothing) {
  EXPECT_TRUE(monitor.Poll(false));  // monitoring off: the tick runs, nothing goes out
  ASSERT_TRUE(monitor.Poll(true));
  // Whatever the quiet tick sent would stand before this poll's requests.
  EXPECT_EQ(LoggedCommands(), kPoll);
}

TEST_F(MonitorPtyTest, ATickKeepsOnlyItsOwnReplies) {
  // A monitor runs for hours: what one tick was answered must not pile up behind the next.
  for (int tick = 0; tick < 3; ++tick) ASSERT_TRUE(monitor.Poll(true));
  EXPECT_EQ(link.ReplyLog().size(), kPoll.size());
  ASSERT_TRUE(monitor.ReadSettingsMemory());
  EXPECT_LE(link.ReplyLog().size(), std::size(kSettingsMemoryReads));
}

TEST_F(MonitorPtyTest, SettingsMemoryReadsGoOutInOrder) {
  ASSERT_TRUE(monitor.ReadSettingsMemory());
  const auto log = controller->RequestLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0], (sim::RawFrame{0x00, 0x7E, 0x00, 0x04, 0x40, 0x00, 0x03, 0x22}));
  const std::vector<std::pair<uint8_t, uint16_t>> expected = {
      {4, 0x4000}, {8, 0x4008}, {4, 0x4018}, {4, 0x4024}, {1, 0x402A}};
  const auto requests = test::Decode(log);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(requests[i].code, command::kMemoryRead);
    EXPECT_EQ(requests[i].index, 0);
    EXPECT_EQ(requests[i].byteArg, expected[i].first);
    EXPECT_EQ(requests[i].word, expected[i].second);
  }
  // The replies are taken and discarded: the block is untouched.
  EXPECT_EQ(entries.CurrentEntry()->Config, TCONFIG_BLOCK{});

  controller->ClearRequestLog();
  ASSERT_TRUE(monitor.TestMemoryRead());
  const auto test = test::Decode(controller->RequestLog());
  ASSERT_EQ(test.size(), 1u);
  EXPECT_EQ(test[0].byteArg, 8);
  EXPECT_EQ(test[0].word, 0x4024);
}

TEST_F(MonitorPtyTest, ClosedMonitorSendsNothing) {
  monitor.Close();
  EXPECT_FALSE(link.DeviceIdentified());
  EXPECT_FALSE(monitor.Poll(true));
  EXPECT_FALSE(monitor.ReadSettingsMemory());
  EXPECT_FALSE(monitor.TestMemoryRead());
  EXPECT_TRUE(controller->RequestLog().empty());
}

class MonitorOpenTest : public test::ScriptedDeviceTest {
 protected:
  Monitor monitor{link, entries};
};

TEST_F(MonitorOpenTest, OpeningRewindsTheRingAndWaits) {
  test::PtyPair pty;
  link.SetRxPos(77);
  ASSERT_TRUE(monitor.Open(pty.SlavePath()));
  EXPECT_EQ(link.RxPos(), link_layout::kRxRingStart);
  EXPECT_EQ(clock.Sleeps(), std::vector<unsigned>{Monitor::kOpenPauseMs});
  EXPECT_TRUE(link.DeviceIdentified());
  monitor.Close();
  EXPECT_FALSE(link.DeviceIdentified());
}

TEST_F(MonitorOpenTest, APortThatDoesNotOpenChangesNothing) {
  link.SetRxPos(77);
  EXPECT_FALSE(monitor.Open("/nonexistent/tty"));
  EXPECT_FALSE(monitor.IsOpen());
  EXPECT_EQ(link.RxPos(), 77);
  EXPECT_TRUE(clock.Sleeps().empty());
  EXPECT_FALSE(link.DeviceIdentified());
}

}  // namespace
}  // namespace lum
