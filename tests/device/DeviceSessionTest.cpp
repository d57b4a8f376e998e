// The device session against simulated controllers on pseudo-terminals: operations on its own
// thread, reports and results on the owner's, one rule for requests made meanwhile, and
// sessions on different ports side by side.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "DeviceTestSupport.h"
#include "device/DeviceSession.h"
#include "link/Frame.h"
#include "sim/Simulator.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

// Records like the window would, and on which thread every report arrived.
class OwnerObserver : public test::RecordingObserver {
 public:
  void InfoLine(const std::string& line) override {
    threads_.push_back(std::this_thread::get_id());
    RecordingObserver::InfoLine(line);
  }
  void ValueReceived(const Measurement& value) override {
    threads_.push_back(std::this_thread::get_id());
    RecordingObserver::ValueReceived(value);
  }
  bool AllOn(std::thread::id owner) const {
    return std::all_of(threads_.begin(), threads_.end(), [&](auto id) { return id == owner; });
  }

 private:
  std::vector<std::thread::id> threads_;
};

std::unique_ptr<TDEVICE_CONFIG> FileEntry(const TCONFIG_BLOCK& block) {
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = "/tmp/file.LUM";
  entry->Config = block;
  return entry;
}

class DeviceSessionTest : public ::testing::Test {
 protected:
  std::unique_ptr<DeviceSession> SessionOn(const PortMap::Entries& ports) {
    return std::make_unique<DeviceSession>(PortMap::FromSection(ports), observer);
  }

  OwnerObserver observer;
  sim::Simulator simulator;
};

TEST_F(DeviceSessionTest, AScanRunsOffTheOwnersThreadAndReportsOnItWhenDrained) {
  test::PtyPair nobody;
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.model = "LS-TWO";
  sim::Controller& com2 = simulator.AddController(setup);
  simulator.Start();
  auto session = SessionOn({{"COM1", nobody.SlavePath()}, {"COM2", com2.Path()}});
  EntryStore& entries = session->Entries();
  TDEVICE_CONFIG& file = entries.AddFileEntry(FileEntry(sim::DefaultSetup(0).config));
  entries.SetCurrentEntry(&file);

  std::optional<bool> found;
  session->Scan([&](bool read) { found = read; });

  // Asking returns at once; the owner's lists stay as they were until the result is delivered.
  EXPECT_TRUE(session->Busy());
  EXPECT_TRUE(entries.DeviceEntries().empty());
  EXPECT_EQ(entries.CurrentEntry(), &file);
  EXPECT_FALSE(found.has_value());
  // Reports arrive while the scan goes on: the first port's line long before the read ends.
  ASSERT_TRUE(com2.WaitForRequests(1, std::chrono::seconds(10)));
  while (observer.InfoLines().empty()) {
    session->DrainEvents();
    std::this_thread::yield();
  }
  EXPECT_FALSE(found.has_value());

  session->WaitIdle();
  EXPECT_FALSE(session->Busy());
  ASSERT_EQ(found, true);
  // COM1, where nothing answered, has no entry.
  const auto& devices = entries.DeviceEntries();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0]->Name, "COM2");
  EXPECT_EQ(devices[0]->Model, "LS-TWO");
  EXPECT_TRUE(devices[0]->FromDevice);
  EXPECT_EQ(devices[0]->Config.Channel(0, 1).Timing(4).Minutes(), setup.config.Channel(0, 1).Timing(4).Minutes());
  EXPECT_EQ(entries.CurrentEntry(), devices[0].get());
  EXPECT_EQ(file.Config.bytes(), sim::DefaultSetup(0).config.bytes()) << "the file entry is not touched";
  EXPECT_EQ(std::count(observer.InfoLines().begin(), observer.InfoLines().end(), "Ok"), 1);
  EXPECT_TRUE(observer.AllOn(std::this_thread::get_id()));
}

TEST_F(DeviceSessionTest, RequestsQueueInOrderAndATickIsSkippedWhileBusy) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.serialNumber = 0x01020304;
  sim::Controller& com1 = simulator.AddController(setup);
  sim::Controller& monitored = simulator.AddController(sim::DefaultSetup(0));
  simulator.Start();
  auto session = SessionOn({{"COM1", com1.Path()}});
  EntryStore& entries = session->Entries();
  TDEVICE_CONFIG& file = entries.AddFileEntry(FileEntry(setup.config));
  entries.SetCurrentEntry(&file);

  std::vector<std::string> order;
  session->OpenMonitor(monitored.Path(), [&](bool opened) { order.push_back(opened ? "opened" : "not opened"); });
  session->Write(
      [&](WriteResult result) { order.push_back(result == WriteResult::Verified ? "verified" : "write failed"); });
  EXPECT_FALSE(session->Poll(true)) << "a tick while the session is busy asks nothing";
  // The owner edits another field while the write runs: the write leaves that edit alone.
  file.Config.SetBattUVR(static_cast<uint16_t>(setup.config.BattUVR() + 100));
  session->WaitIdle();

  EXPECT_EQ(order, (std::vector<std::string>{"opened", "verified"}));
  EXPECT_TRUE(session->MonitorOpen());
  EXPECT_TRUE(monitored.RequestLog().empty());
  EXPECT_EQ(file.SerialNumber, setup.serialNumber) << "the serial number read back reaches the entry";
  EXPECT_EQ(file.Config.BattUVR(), setup.config.BattUVR() + 100);
  EXPECT_FALSE(file.Modified);

  // Idle now: the tick runs, and the temperature reply's limit reaches CurrentEntry.
  file.Config.SetOTP(0);
  bool polled = false;
  ASSERT_TRUE(session->Poll(true, [&] { polled = true; }));
  session->WaitIdle();
  EXPECT_TRUE(polled);
  EXPECT_EQ(test::Commands(test::Decode(monitored.RequestLog())),
            (std::vector<uint8_t>{command::kPowerOnTime, command::kTemperature, command::kBatteryVoltage,
                                  command::kSolarVoltage, command::kLoad1Voltage, command::kLoad1Current}));
  EXPECT_EQ(file.Config.OTP(), sim::DefaultSetup(0).config.OTP());
  EXPECT_TRUE(observer.Raw(ValueId::BatteryVoltage).has_value());
  EXPECT_TRUE(observer.AllOn(std::this_thread::get_id()));

  session->CloseMonitor();
  session->WaitIdle();
  EXPECT_FALSE(session->MonitorOpen());
  EXPECT_FALSE(session->Poll(true)) << "no tick without the monitor port";
  session->TestMemoryRead();
  session->WaitIdle();
  EXPECT_EQ(monitored.RequestLog().size(), 6u) << "nothing goes out on a closed monitor port";
}

TEST_F(DeviceSessionTest, ASessionOnOnePortReadsAndWritesOnlyThere) {
  sim::ControllerSetup setup = sim::DefaultSetup(0);
  setup.model = "ONLY";
  sim::Controller& mine = simulator.AddController(setup);
  sim::Controller& other = simulator.AddController(setup);
  simulator.Start();
  EXPECT_THROW(DeviceSession::OnPort("/dev/ttyS0", mine.Path(), observer), std::invalid_argument);
  auto session = DeviceSession::OnPort("COM9", mine.Path(), observer);

  session->Scan();
  session->WaitIdle();
  ASSERT_EQ(session->Entries().DeviceEntries().size(), 1u);
  TDEVICE_CONFIG& read = *session->Entries().DeviceEntries().front();
  EXPECT_EQ(read.Name, "COM9");
  EXPECT_EQ(read.Model, "ONLY");
  EXPECT_EQ(read.Config.BattOVP(), setup.config.BattOVP());

  read.Config.SetBattOVP(static_cast<uint16_t>(setup.config.BattOVP() - 100));
  std::optional<WriteResult> written;
  session->Write([&](WriteResult result) { written = result; });
  session->WaitIdle();
  EXPECT_EQ(written, WriteResult::Verified);
  EXPECT_EQ(mine.Config().BattOVP(), setup.config.BattOVP() - 100);
  EXPECT_TRUE(other.RequestLog().empty());
}

TEST_F(DeviceSessionTest, SessionsOnDifferentPortsReadTheirControllersSideBySide) {
  sim::ControllerSetup first = sim::DefaultSetup(0);
  first.model = "FIRST";
  sim::ControllerSetup second = sim::DefaultSetup(1);
  second.model = "SECOND";
  sim::Controller& a = simulator.AddController(first);
  sim::Controller& b = simulator.AddController(second);
  simulator.Start();
  OwnerObserver otherObserver;
  auto sessionA = DeviceSession::OnPort("COM1", a.Path(), observer);
  auto sessionB = DeviceSession::OnPort("COM1", b.Path(), otherObserver);

  sessionA->Scan();
  sessionB->Scan();
  sessionA->WaitIdle();
  sessionB->WaitIdle();

  ASSERT_EQ(sessionA->Entries().DeviceEntries().size(), 1u);
  ASSERT_EQ(sessionB->Entries().DeviceEntries().size(), 1u);
  EXPECT_EQ(sessionA->Entries().DeviceEntries().front()->Model, "FIRST");
  EXPECT_EQ(sessionB->Entries().DeviceEntries().front()->Model, "SECOND");
  EXPECT_EQ(std::count(observer.InfoLines().begin(), observer.InfoLines().end(), "Ok"), 1);
  EXPECT_EQ(std::count(otherObserver.InfoLines().begin(), otherObserver.InfoLines().end(), "Ok"), 1);
}

TEST_F(DeviceSessionTest, EndingASessionDropsWhatWasNotStartedAndClosesTheMonitorPort) {
  test::PtyPair silent;
  sim::Controller& monitored = simulator.AddController(sim::DefaultSetup(0));
  simulator.Start();
  constexpr size_t kScanIdentifyBytes = 6 * 3 * frame::kSize;  // six tries, each sent three times
  {
    auto session = SessionOn({{"COM1", silent.SlavePath()}});
    EntryStore& entries = session->Entries();
    entries.SetCurrentEntry(&entries.AddFileEntry(FileEntry(sim::DefaultSetup(0).config)));
    session->OpenMonitor(monitored.Path());
    session->WaitIdle();
    ASSERT_TRUE(session->MonitorOpen());
    session->Scan();
    ASSERT_EQ(silent.ReadExactly(frame::kSize, 10000).size(), frame::kSize) << "the scan has begun";
    session->Write();
  }
  // The running scan ended; the write asked for after it never began.
  EXPECT_EQ(silent.ReadExactly(kScanIdentifyBytes, 500).size(), kScanIdentifyBytes - frame::kSize);
  EXPECT_NE(OpenPort(monitored.Path(), kDeviceBaud), nullptr) << "the monitor port was closed";
}

}  // namespace
}  // namespace lum
