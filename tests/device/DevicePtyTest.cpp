// Scan and write against simulated controllers on pseudo-terminals, real clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "DeviceTestSupport.h"
#include "base/Clock.h"
#include "device/Scan.h"
#include "device/Write.h"
#include "link/Frame.h"
#include "sim/Simulator.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

class DevicePtyTest : public ::testing::Test {
 protected:
  DevicePtyTest() { messages.FillBuiltIn(); }
  void MapPorts(const PortMap::Entries& ports) {
    opener = std::make_unique<PortMapOpener>(PortMap::FromSection(ports), &observer);
  }
  DeviceContext Context() { return DeviceContext{link, entries, *opener, messages}; }
  int CountLines(const std::string& fragment) const {
    const auto& lines = observer.InfoLines();
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(fragment) != std::string::npos; }));
  }
  static int Count(const std::vector<sim::Request>& requests, uint8_t code, int index = -1) {
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const sim::Request& r) {
      return r.code == code && (index < 0 || r.index == index);
    }));
  }

  test::RecordingObserver observer;
  Link link{SystemClock(), observer};
  EntryStore entries;
  MessageTable messages;
  std::unique_ptr<PortMapOpener> opener;
  sim::Simulator simulator;
};

TEST_F(DevicePtyTest, ScanReadsEveryControllerAndNamesThePortsWhereNoneAnswered) {
  test::PtyPair nobody;
  sim::ControllerSetup second = sim::DefaultSetup(1);
  second.config.SetCapFlags(0x48);  // battery and rated current only
  sim::ControllerSetup fifth = sim::DefaultSetup(0);
  fifth.answerFromTry = 2;
  sim::Controller& com2 = simulator.AddController(second);
  sim::Controller& com5 = simulator.AddController(fifth);
  simulator.Start();
  MapPorts({{"COM1", nobody.SlavePath()}, {"COM2", com2.Path()}, {"COM5", com5.Path()}});
  DeviceContext context = Context();

  ASSERT_TRUE(ScanPorts(context, {"A", "B", "C", "D"}));

  // COM1 opens but nothing answers there: it gets no entry, and a line says so.
  const auto& devices = entries.DeviceEntries();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0]->Name, "COM2");
  EXPECT_EQ(devices[0]->Model, second.model);
  EXPECT_EQ(devices[1]->Name, "COM5");
  EXPECT_EQ(devices[1]->Model, fifth.model);
  EXPECT_EQ(devices[1]->Config.Channel(0, 0).Timing(1).Minutes(), fifth.config.Channel(0, 0).Timing(1).Minutes());
  EXPECT_EQ(CountLines("] Scan connected device:: Open port @"), 3);
  EXPECT_EQ(CountLines("] Scan connected device:: No controller answered on COM1."), 1);
  EXPECT_EQ(CountLines("] Connected device is B @COM2"), 1);
  EXPECT_EQ(CountLines("] Connected device is A @COM5"), 1);
  EXPECT_EQ(std::count(observer.InfoLines().begin(), observer.InfoLines().end(), "Ok"), 2);

  // The capability byte 0x48 leaves battery and rated current: 0x31..0x34 and 0x39 per channel.
  const auto asked2 = test::Decode(com2.RequestLog());
  EXPECT_EQ(Count(asked2, command::kLightControl), 0);
  EXPECT_EQ(Count(asked2, command::kChannelCV), 0);
  for (uint8_t code : {command::kBattOVP, command::kBattFCV, command::kBattUVP, command::kBattUVR})
    EXPECT_EQ(Count(asked2, code), 1) << int(code);
  EXPECT_EQ(Count(asked2, command::kChannelCC, 0x00), 1);
  EXPECT_EQ(Count(asked2, command::kChannelCC, 0x10), 1);
  EXPECT_EQ(Count(asked2, command::kChannelTiming, 0x10), 5);

  // COM5 answered only its third identification try, and was read by its row's capabilities.
  const auto asked5 = test::Decode(com5.RequestLog());
  ASSERT_FALSE(asked5.empty());
  const auto firstRead =
      std::find_if(asked5.begin(), asked5.end(), [](const sim::Request& r) { return r.code != command::kIdentify; });
  ASSERT_NE(firstRead, asked5.begin());
  EXPECT_EQ((firstRead - 1)->byteArg, 2);
  EXPECT_EQ(Count(asked5, command::kLightControl), 1);
}

TEST_F(DevicePtyTest, AControllerThatFallsSilentMidReadIsReportedAndNeverWritten) {
  sim::ControllerSetup stopping = sim::DefaultSetup(1);
  stopping.answerLimit = 13;  // silent from the first channel's timing on
  sim::Controller& com1 = simulator.AddController(stopping);
  sim::Controller& com2 = simulator.AddController(sim::DefaultSetup(0));
  simulator.Start();
  MapPorts({{"COM1", com1.Path()}, {"COM2", com2.Path()}});
  DeviceContext context = Context();

  ASSERT_TRUE(ScanPorts(context, {}));

  const auto& devices = entries.DeviceEntries();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_FALSE(devices[0]->FromDevice);
  EXPECT_TRUE(devices[0]->ReadIncomplete);
  EXPECT_EQ(devices[0]->Model, stopping.model);
  EXPECT_TRUE(devices[1]->FromDevice);
  const auto& lines = observer.InfoLines();
  const auto failure = std::find(lines.begin(), lines.end(), "Failure");
  ASSERT_NE(failure, lines.end());
  ASSERT_NE(failure + 1, lines.end());
  EXPECT_NE((failure + 1)->find("No reply for channel 1 segment 1"), std::string::npos) << *(failure + 1);
  EXPECT_NE((failure + 1)->find("channel 2 segment 5."), std::string::npos) << *(failure + 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Ok"), 1);

  // The incomplete entry is refused before any port is opened.
  entries.SetCurrentEntry(devices[0].get());
  const size_t asked = com1.RequestLog().size();
  EXPECT_EQ(WriteDevice(context), WriteResult::NoConfig);
  EXPECT_EQ(com1.RequestLog().size(), asked);
}

// A controller that answers 0xFF in every byte is read as it is, but what it holds is never
// written back: the write refuses it before a single request goes out.
TEST_F(DevicePtyTest, AControllerAnsweringFFEverywhereIsReadButNeverWrittenBack) {
  sim::ControllerSetup full = sim::DefaultSetup(1);
  std::fill(full.config.bytes().begin(), full.config.bytes().end(), uint8_t{0xFF});
  full.config.SetProductID(sim::DefaultSetup(1).config.ProductID());
  full.config.SetCapFlags(0);  // the capabilities of the device type
  sim::Controller& com1 = simulator.AddController(full);
  simulator.Start();
  MapPorts({{"COM1", com1.Path()}});
  DeviceContext context = Context();

  ASSERT_TRUE(ScanPorts(context, {}));
  const auto& devices = entries.DeviceEntries();
  ASSERT_EQ(devices.size(), 1u);
  ASSERT_TRUE(devices[0]->FromDevice);
  EXPECT_EQ(devices[0]->Config.Channel(0, 0).Timing(0).Power(), 0xFF);

  entries.SetCurrentEntry(devices[0].get());
  const size_t asked = com1.RequestLog().size();
  EXPECT_EQ(WriteDevice(context), WriteResult::Unwritable);
  EXPECT_EQ(com1.RequestLog().size(), asked) << "nothing was sent";
  EXPECT_EQ(CountLines("超出范围"), 1 + 2 * (1 + 2 * 5));  // the delay, and per output its mode, minutes and power
  EXPECT_EQ(CountLines("未写入任何内容"), 1);
}

class DevicePtyWriteTest : public DevicePtyTest {
 protected:
  // An entry opened from a file of row 1, made current.
  TDEVICE_CONFIG& FileEntry(const TCONFIG_BLOCK& block) {
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Name = "/tmp/row1.LUM";
    entry->Config = block;
    TDEVICE_CONFIG& added = entries.AddFileEntry(std::move(entry));
    entries.SetCurrentEntry(&added);
    return added;
  }
};

TEST_F(DevicePtyWriteTest, WritesTheFirstControllerOfTheProductAndVerifiesWhatWasSent) {
  sim::ControllerSetup target = sim::DefaultSetup(1);
  target.config.Clear();
  target.config.SetProductID(sim::DefaultSetup(1).config.ProductID());
  sim::Controller& com2 = simulator.AddController(sim::DefaultSetup(0));
  sim::Controller& com4 = simulator.AddController(target);
  sim::Controller& com5 = simulator.AddController(sim::DefaultSetup(1));
  simulator.Start();
  MapPorts({{"COM2", com2.Path()}, {"COM4", com4.Path()}, {"COM5", com5.Path()}});

  // A file of row 1 with values the sequence never sends: OTP 50 (no row has the
  // over-temperature limit) and a second timing table; and a zero BattOVP, which is not sent
  // either, so that nothing shows the controller holds it.
  TCONFIG_BLOCK file = sim::DefaultSetup(1).config;
  ASSERT_EQ(file.OTP(), 50);
  file.Channel(0, 1).Timing2(2).SetMinutes(45);
  file.SetBattOVP(0);
  FileEntry(file);
  DeviceContext context = Context();

  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);

  const auto& lines = observer.InfoLines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_NE(lines[0].find("Open port @COM2."), std::string::npos);
  EXPECT_EQ(lines[2], "Failure");
  EXPECT_NE(lines[3].find("Open port @COM4."), std::string::npos);
  EXPECT_EQ(lines[5], "Ok");
  EXPECT_NE(lines[6].find("Writing configuration data"), std::string::npos);
  EXPECT_EQ(lines[7], "Failure");
  EXPECT_NE(lines[8].find("BattOVP: the entry holds 0, the controller was neither written nor read"), std::string::npos)
      << lines[8];
  EXPECT_EQ(lines[9], "\r");
  EXPECT_TRUE(com5.RequestLog().empty());

  const auto written = test::Decode(com4.RequestLog());
  EXPECT_EQ(Count(written, command::kBattOVP), 0);
  EXPECT_EQ(Count(written, command::kBattFCV), 1);
  const TCONFIG_BLOCK stored = com4.Config();
  EXPECT_EQ(stored.BattFCV(), file.BattFCV());
  EXPECT_EQ(stored.SCV(), file.SCV());
  EXPECT_EQ(stored.Channel(0, 1).Timing(3).Minutes(), file.Channel(0, 1).Timing(3).Minutes());
  EXPECT_EQ(stored.Channel(0, 1).Mode(), file.Channel(0, 1).Mode());
  EXPECT_EQ(stored.FuncFlags(), file.FuncFlags());
}

TEST_F(DevicePtyWriteTest, AControllerThatAltersAValueFailsVerification) {
  sim::ControllerSetup altering = sim::DefaultSetup(0);
  altering.alterations[command::kChannelTiming] = sim::Alteration{sim::AlterKind::Xor, 0x0001};
  sim::Controller& com1 = simulator.AddController(altering);
  simulator.Start();
  MapPorts({{"COM1", com1.Path()}});
  FileEntry(sim::DefaultSetup(0).config);
  DeviceContext context = Context();

  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);
  const auto& lines = observer.InfoLines();
  const auto failure = std::find(lines.begin(), lines.end(), "Failure");
  ASSERT_NE(failure, lines.end());
  // One line for each of the five altered segments, then the end of the write.
  ASSERT_EQ(lines.end() - failure, 7);
  EXPECT_NE((failure + 1)->find("channel 1 segment 1 minutes: the entry holds"), std::string::npos) << *(failure + 1);
  EXPECT_NE((failure + 5)->find("channel 1 segment 5 minutes"), std::string::npos) << *(failure + 5);
  EXPECT_EQ(lines.back(), "\r");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Ok"), 1);  // the product check only
}

// Replies damaged on a noisy line are asked for again, as lost ones are: the controller is
// read completely and the write is verified.
TEST_F(DevicePtyWriteTest, ADamagedReplyCostsATryNotTheOperation) {
  sim::ControllerSetup noisy = sim::DefaultSetup(1);
  noisy.damageEvery = 6;
  noisy.lineNoise = true;
  sim::Controller& com1 = simulator.AddController(noisy);
  simulator.Start();
  MapPorts({{"COM1", com1.Path()}});
  DeviceContext context = Context();

  ASSERT_TRUE(ScanPorts(context, {}));
  ASSERT_EQ(entries.DeviceEntries().size(), 1u);
  EXPECT_TRUE(entries.DeviceEntries()[0]->FromDevice);
  EXPECT_EQ(entries.DeviceEntries()[0]->Config.BattFCV(), noisy.config.BattFCV());
  EXPECT_EQ(entries.DeviceEntries()[0]->Config.Channel(0, 1).Timing(5).Minutes(),
            noisy.config.Channel(0, 1).Timing(5).Minutes());

  TCONFIG_BLOCK file = noisy.config;
  file.SetBattFCV(static_cast<uint16_t>(file.BattFCV() + 100));
  file.Channel(0, 1).Timing(2).SetMinutes(75);
  FileEntry(file);
  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);
  EXPECT_EQ(com1.Config().BattFCV(), file.BattFCV());
  EXPECT_EQ(com1.Config().Channel(0, 1).Timing(2).Minutes(), 75);
  EXPECT_EQ(observer.InfoLines().end()[-2], "Ok");
}

}  // namespace
}  // namespace lum
