// Scan and read against scripted controllers with a fake clock: exact requests and waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <utility>

#include "DeviceTestSupport.h"
#include "data/TypeTables.h"
#include "device/InfoLines.h"
#include "device/Scan.h"
#include "link/Frame.h"

namespace lum {
namespace {

using test::ScriptedController;
using test::ScriptedPort;

constexpr int kTwoChannelRow = 1;
constexpr int kOneChannelRow = 0;

struct Expected {
  uint8_t code;
  uint8_t index = 0;
  uint8_t byteArg = 0;
  uint16_t word = 0;
};

std::vector<Expected> ChannelReads(uint8_t index) {
  std::vector<Expected> reads = {{command::kChannelCC, index}, {command::kChannelMode, index}};
  for (int k = 0; k < block_layout::kSegments; ++k)
    reads.push_back({command::kChannelTiming, index, 0, static_cast<uint16_t>(k << 12)});
  return reads;
}

void ExpectRequests(const std::vector<sim::Request>& sent, const std::vector<Expected>& expected) {
  ASSERT_EQ(sent.size(), expected.size());
  for (size_t i = 0; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sent[i].address, 0);
    EXPECT_EQ(sent[i].code, expected[i].code);
    EXPECT_EQ(sent[i].index, expected[i].index);
    EXPECT_EQ(sent[i].byteArg, expected[i].byteArg);
    EXPECT_EQ(sent[i].word, expected[i].word);
  }
}

class ScanTest : public test::ScriptedDeviceTest {
 protected:
  // A device entry as ScanPorts makes it, current.
  TDEVICE_CONFIG& NewDeviceEntry(const std::string& name = "COM3") {
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Name = name;
    TDEVICE_CONFIG& added = entries.AddDeviceEntry(std::move(entry));
    entries.SetCurrentEntry(&added);
    return added;
  }
  bool Read(SerialPort& port) { return IdentifyAndRead(context, &port, names); }

  DeviceTypeNames names = {"Type A", "Type B", "Type C", "Type D"};
};

TEST_F(ScanTest, ReadsEveryFieldOfATwoChannelControllerInOrder) {
  sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  ScriptedController controller(setup);
  TDEVICE_CONFIG& entry = NewDeviceEntry();

  ASSERT_TRUE(Read(controller.Port()));

  std::vector<Expected> expected = {{command::kIdentify},     {command::kFirmwareVersion}, {command::kSerialNumber},
                                    {command::kBatchCode},    {command::kFuncFlags},       {command::kModelText},
                                    {command::kLightControl}, {command::kBattOVP},         {command::kBattFCV},
                                    {command::kBattUVP},      {command::kBattUVR}};
  for (uint8_t index : {uint8_t{0x00}, uint8_t{0x10}}) {
    const auto channel = ChannelReads(index);
    expected.insert(expected.end(), channel.begin(), channel.end());
  }
  ExpectRequests(Sent(controller.Port()), expected);

  // The entry now holds what the controller holds, identity included, but for the
  // over-temperature limit, which only the live monitor reads.
  TCONFIG_BLOCK expectedBlock = setup.config;
  expectedBlock.SetOTP(0);
  EXPECT_EQ(entry.Config, expectedBlock);
  EXPECT_EQ(entry.Model, setup.model);
  EXPECT_EQ(entry.SerialNumber, setup.serialNumber);
  EXPECT_EQ(entry.BatchCode, setup.batchCode);
  EXPECT_EQ(entry.FirmwareVersion, setup.firmwareVersion);
  EXPECT_EQ(entry.FirmwareBuild, setup.firmwareBuild);
  EXPECT_TRUE(entry.FromDevice);
  EXPECT_FALSE(link.DeviceIdentified());

  ASSERT_EQ(observer.InfoLines().size(), 3u);
  EXPECT_NE(observer.InfoLines()[0].find("] Connected device is Type B @COM3"), std::string::npos);
  EXPECT_NE(observer.InfoLines()[1].find("] Reading configuration data ..."), std::string::npos);
  EXPECT_EQ(observer.InfoLines()[2], "Ok");
}

TEST_F(ScanTest, PausesAfterEachChannelsModeRequest) {
  ScriptedController controller(sim::DefaultSetup(kTwoChannelRow));
  NewDeviceEntry();
  // Each wait with the requests written so far: a pause is a wait with no new write before it.
  std::vector<std::pair<size_t, unsigned>> waits;
  clock.OnSleep([&](unsigned ms) { waits.emplace_back(controller.Port().Written().size(), ms); });

  ASSERT_TRUE(Read(controller.Port()));

  // An exchange answered at once waits 32 ms after its write and 16 ms before its read; a
  // third wait with no write since is a pause.
  std::vector<sim::Request> after;  // the last request before each pause
  for (size_t i = 2; i < waits.size(); ++i) {
    if (waits[i].first != waits[i - 1].first || waits[i - 1].first != waits[i - 2].first) continue;
    EXPECT_EQ(waits[i].second, kChannelReadPauseMs);
    after.push_back(Sent(controller.Port()).at(waits[i].first - 1));
  }
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].code, command::kChannelMode);
  EXPECT_EQ(after[0].index, 0x00);
  EXPECT_EQ(after[1].code, command::kChannelMode);
  EXPECT_EQ(after[1].index, 0x10);
  // Every request answered at once costs its 32 + 16 ms and nothing more.
  EXPECT_EQ(clock.TotalSleptMs(), 48 * controller.Port().Written().size() + 2 * kChannelReadPauseMs);
}

TEST_F(ScanTest, CapabilityByteOverridesTheDeviceTypeRow) {
  sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  setup.config.SetCapFlags(0x48);  // only battery and rated current
  ScriptedController controller(setup);
  NewDeviceEntry();

  ASSERT_TRUE(Read(controller.Port()));

  std::vector<Expected> expected = {{command::kIdentify},  {command::kFirmwareVersion}, {command::kSerialNumber},
                                    {command::kBatchCode}, {command::kFuncFlags},       {command::kModelText},
                                    {command::kBattOVP},   {command::kBattFCV},         {command::kBattUVP},
                                    {command::kBattUVR}};
  for (uint8_t index : {uint8_t{0x00}, uint8_t{0x10}}) {
    const auto channel = ChannelReads(index);
    expected.insert(expected.end(), channel.begin(), channel.end());
  }
  ExpectRequests(Sent(controller.Port()), expected);
}

TEST_F(ScanTest, IdentificationStopsAtTheFirstAnsweredTry) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  setup.answerFromTry = 2;
  ScriptedController controller(setup);
  NewDeviceEntry();

  ASSERT_TRUE(Read(controller.Port()));

  // Unanswered tries go out three times each; try 2 is answered at once.
  const auto sent = Sent(controller.Port());
  ASSERT_GE(sent.size(), 8u);
  const std::vector<int> tries = {0, 0, 0, 1, 1, 1, 2};
  for (size_t i = 0; i < tries.size(); ++i) {
    EXPECT_EQ(sent[i].code, command::kIdentify);
    EXPECT_EQ(sent[i].byteArg, tries[i]);
  }
  EXPECT_EQ(sent[7].code, command::kFirmwareVersion);
}

TEST_F(ScanTest, SilentPortGetsSixIdentificationTriesAndNothingElse) {
  ScriptedPort silent;
  TDEVICE_CONFIG& entry = NewDeviceEntry();
  link.SetDeviceIdentified(true);

  EXPECT_FALSE(Read(silent));

  const auto sent = Sent(silent);
  // Three transmissions of each try number 0..5.
  ASSERT_EQ(sent.size(), 18u);
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].code, command::kIdentify);
    EXPECT_EQ(sent[i].byteArg, i / 3);
  }
  EXPECT_FALSE(link.DeviceIdentified());
  EXPECT_FALSE(entry.FromDevice);
  EXPECT_EQ(entry.Config, TCONFIG_BLOCK{});
  EXPECT_TRUE(observer.InfoLines().empty());
}

TEST_F(ScanTest, UntranslatedRowShowsTheBuiltInName) {
  ScriptedController controller(sim::DefaultSetup(kTwoChannelRow));
  NewDeviceEntry("COM7");
  names = {"only row 0"};
  ASSERT_TRUE(Read(controller.Port()));
  EXPECT_NE(observer.InfoLines().at(0).find(std::string("is ") + DeviceTypes()[kTwoChannelRow].DefaultName + " @COM7"),
            std::string::npos);
}

TEST_F(ScanTest, AControllerThatStopsAnsweringMidReadIsNotTakenAsRead) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  // Identification, the five identity reads, light control, BattOVP and BattFCV; then silence.
  setup.answerLimit = 9;
  ScriptedController controller(setup);
  TDEVICE_CONFIG& entry = NewDeviceEntry();

  EXPECT_FALSE(Read(controller.Port()));

  EXPECT_FALSE(entry.FromDevice);
  EXPECT_TRUE(entry.ReadIncomplete);
  EXPECT_FALSE(entry.AsRead.has_value());
  EXPECT_EQ(entry.Config.BattFCV(), setup.config.BattFCV());  // what came is kept
  EXPECT_FALSE(link.DeviceIdentified());
  const auto& lines = observer.InfoLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Ok"), 0);
  EXPECT_EQ(lines[lines.size() - 2], "Failure");
  EXPECT_NE(lines.back().find("] Reading configuration data:: No reply for BattUVP, BattUVR, channel 1 CC, "
                              "channel 1 Mode, channel 1 segment 1, channel 1 segment 2, channel 1 segment 3, "
                              "channel 1 segment 4, channel 1 segment 5."),
            std::string::npos)
      << lines.back();
  // The requests are those of a complete read: the check only counts what came back.
  const auto codes = test::Commands(Sent(controller.Port()));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kChannelTiming), 5 * 3);
}

TEST_F(ScanTest, AMissingIdentityReplyFailsTheRead) {
  // The model text is the only reply lost: everything else of the block is complete.
  sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  ScriptedController controller(setup);
  sim::Responder responder(setup);
  controller.Port().OnWrite([&](int, const test::Bytes& written) -> std::vector<test::Bytes> {
    sim::RawFrame raw{};
    std::copy_n(written.begin(), raw.size(), raw.begin());
    const sim::Request request = sim::DecodeRequest(raw);
    const auto reply = responder.Answer(request, sim::Measurements{});
    if (!reply || request.code == command::kModelText) return {};
    return {*reply};
  });
  TDEVICE_CONFIG& entry = NewDeviceEntry();

  EXPECT_FALSE(Read(controller.Port()));
  EXPECT_FALSE(entry.FromDevice);
  EXPECT_NE(observer.InfoLines().back().find("No reply for Model."), std::string::npos) << observer.InfoLines().back();
}

class ScanPortsTest : public ScanTest {};

TEST_F(ScanPortsTest, OnlyCompleteReadsCountAsFound) {
  sim::ControllerSetup stopping = sim::DefaultSetup(kOneChannelRow);
  stopping.answerLimit = 12;
  ScriptedController partial(stopping);
  opener.Attach(1, partial.Port());

  EXPECT_FALSE(ScanPorts(context, names));
  ASSERT_EQ(entries.DeviceEntries().size(), 1u);
  EXPECT_TRUE(entries.DeviceEntries()[0]->ReadIncomplete);
  EXPECT_EQ(entries.DeviceEntries()[0]->Model, stopping.model);  // its identity is shown

  ScriptedController complete(sim::DefaultSetup(kTwoChannelRow));
  ScriptedController partialAgain(stopping);
  opener.Attach(1, partialAgain.Port());
  opener.Attach(3, complete.Port());
  EXPECT_TRUE(ScanPorts(context, names));
  ASSERT_EQ(entries.DeviceEntries().size(), 2u);
  EXPECT_FALSE(entries.DeviceEntries()[0]->FromDevice);
  EXPECT_TRUE(entries.DeviceEntries()[1]->FromDevice);
  EXPECT_FALSE(entries.DeviceEntries()[1]->ReadIncomplete);
  EXPECT_EQ(entries.DeviceEntries()[1]->AsRead, entries.DeviceEntries()[1]->Config);
}

// A port where nothing answers gets no entry: there is nothing there to show or write.
TEST_F(ScanPortsTest, EveryPortWhereAControllerAnswersGetsAnEntryInPortOrder) {
  ScriptedPort nothing;
  ScriptedController second(sim::DefaultSetup(kOneChannelRow));
  ScriptedController fifth(sim::DefaultSetup(kTwoChannelRow));
  opener.Attach(1, nothing);
  opener.Attach(2, second.Port());
  opener.Attach(5, fifth.Port());

  ASSERT_TRUE(ScanPorts(context, names));

  std::vector<int> all(16);
  std::iota(all.begin(), all.end(), 1);
  EXPECT_EQ(opener.Asked(), all);
  ASSERT_EQ(entries.DeviceEntries().size(), 2u);
  EXPECT_EQ(entries.DeviceEntries()[0]->Name, "COM2");
  EXPECT_TRUE(entries.DeviceEntries()[0]->FromDevice);
  EXPECT_EQ(entries.DeviceEntries()[1]->Name, "COM5");
  EXPECT_EQ(entries.DeviceEntries()[1]->Model, sim::DefaultSetup(kTwoChannelRow).model);
  EXPECT_EQ(entries.CurrentEntry(), entries.DeviceEntries()[1].get());
  EXPECT_EQ(link.Entry(), entries.CurrentEntry());

  const auto& lines = observer.InfoLines();
  EXPECT_EQ(lines.front(), OpenPortLine(messages, "COM1", lines.front().substr(1, 23)));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Ok"), 2);
  EXPECT_EQ(lines.back(), NoControllerLine({"COM1"}, lines.back().substr(1, 23)));
}

// Nothing found is said in one line: which ports were tried, or that there is none.
TEST_F(ScanPortsTest, AScanThatFindsNothingSaysWhatItTried) {
  ScriptedPort first;
  ScriptedPort third;
  opener.Attach(1, first);
  opener.Attach(3, third);
  TDEVICE_CONFIG& file = CurrentFileEntry(TCONFIG_BLOCK{});
  EXPECT_FALSE(ScanPorts(context, names));
  EXPECT_TRUE(entries.DeviceEntries().empty());
  EXPECT_EQ(entries.CurrentEntry(), &file);
  EXPECT_EQ(link.Entry(), &file);
  ASSERT_FALSE(observer.InfoLines().empty());
  EXPECT_NE(observer.InfoLines().back().find("No controller answered on COM1, COM3."), std::string::npos)
      << observer.InfoLines().back();

  test::ScriptedOpener none;
  DeviceContext nothing{link, entries, none, messages};
  observer.Clear();
  EXPECT_FALSE(ScanPorts(nothing, names));
  ASSERT_EQ(observer.InfoLines().size(), 1u);
  EXPECT_NE(observer.InfoLines()[0].find("No serial port was found."), std::string::npos);
}

TEST_F(ScanPortsTest, EarlierDeviceEntriesAreDiscardedWithoutDanglingReferences) {
  ScriptedController controller(sim::DefaultSetup(kOneChannelRow));
  opener.Attach(4, controller.Port());
  TDEVICE_CONFIG& file = CurrentFileEntry(TCONFIG_BLOCK{});
  ASSERT_TRUE(ScanPorts(context, names));
  const TDEVICE_CONFIG* first = entries.CurrentEntry();

  // A second scan that finds no port at all: CurrentEntry and the link fall back to the file entry.
  test::ScriptedOpener none;
  DeviceContext empty{link, entries, none, messages};
  EXPECT_FALSE(ScanPorts(empty, names));
  EXPECT_TRUE(entries.DeviceEntries().empty());
  EXPECT_NE(entries.CurrentEntry(), first);
  EXPECT_EQ(entries.CurrentEntry(), &file);
  EXPECT_EQ(link.Entry(), &file);
}

TEST_F(ScanPortsTest, OffersToApplyEditsOnlyToAnEntryNotReadFromADevice) {
  TDEVICE_CONFIG& file = CurrentFileEntry(TCONFIG_BLOCK{});
  std::vector<TDEVICE_CONFIG*> offered;
  const ConfirmApply confirm = [&](TDEVICE_CONFIG& entry) { offered.push_back(&entry); };

  ScanPorts(context, names, confirm);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], &file);

  file.FromDevice = true;
  ScanPorts(context, names, confirm);
  EXPECT_EQ(offered.size(), 1u);
}

}  // namespace
}  // namespace lum
