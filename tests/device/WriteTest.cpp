// Write with verification against scripted controllers with a fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "DeviceTestSupport.h"
#include "device/InfoLines.h"
#include "device/Write.h"
#include "device/WritePlan.h"
#include "link/Frame.h"

namespace lum {
namespace {

using test::ScriptedController;
using test::ScriptedPort;

constexpr int kOneChannelRow = 0;
constexpr int kTwoChannelRow = 1;

class WriteTest : public test::ScriptedDeviceTest {
 protected:
  // The entry a faithful controller of the row would be read into, made current.
  TDEVICE_CONFIG& EntryOf(const sim::ControllerSetup& setup) { return CurrentFileEntry(setup.config); }
  // The requests after identification and the serial number: the write sequence proper.
  static std::vector<sim::Request> Writes(const ScriptedPort& port) {
    auto sent = Sent(port);
    const auto serial =
        std::find_if(sent.begin(), sent.end(), [](const sim::Request& r) { return r.code == command::kSerialNumber; });
    return serial == sent.end() ? std::vector<sim::Request>{} : std::vector<sim::Request>(serial + 1, sent.end());
  }
};

TEST_F(WriteTest, WithoutProductCodeNothingIsSent) {
  CurrentFileEntry(TCONFIG_BLOCK{});
  EXPECT_EQ(WriteDevice(context), WriteResult::NoConfig);
  EXPECT_TRUE(opener.Asked().empty());
  ASSERT_EQ(observer.InfoLines().size(), 2u);
  EXPECT_NE(observer.InfoLines()[0].find("] Write to device:: No valid configuration data."), std::string::npos);
  EXPECT_EQ(observer.InfoLines()[1], "\r");
}

TEST_F(WriteTest, SendsTheWriteTableInOrderAndReportsOk) {
  sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  ScriptedController controller(setup);
  opener.Attach(2, controller.Port());
  TCONFIG_BLOCK block = setup.config;
  block.SetFuncFlags(0x15);
  block.SetAddress(3);
  block.Channel(0, 1).Timing(4).SetMinutes(77);
  block.Channel(0, 1).Timing(4).SetPower(55);
  TDEVICE_CONFIG& entry = EntryOf(setup);
  entry.Config = block;

  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);

  const auto sent = Sent(controller.Port());
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0].code, command::kIdentify);
  EXPECT_EQ(sent[0].byteArg, 0);
  EXPECT_EQ(sent[1].code, command::kSerialNumber);

  struct Expected {
    uint8_t code, index, byteArg;
    uint16_t word;
  };
  std::vector<Expected> expected = {{command::kLightControl, 0x80, block.SCDelay(), block.SCV()},
                                    {command::kBattOVP, 0x80, 0, block.BattOVP()},
                                    {command::kBattFCV, 0x80, 0, block.BattFCV()},
                                    {command::kBattUVP, 0x80, 0, block.BattUVP()},
                                    {command::kBattUVR, 0x80, 0, block.BattUVR()}};
  for (int c = 0; c < 2; ++c) {
    const auto index = static_cast<uint8_t>(0x80 | (c << 4));
    const ConstChannel channel = std::as_const(block).Channel(0, c);
    expected.push_back({command::kChannelCC, index, 0, channel.CC()});
    for (int k = 0; k < 5; ++k)
      expected.push_back({command::kChannelTiming, index, channel.Timing(k).Power(),
                          static_cast<uint16_t>(channel.Timing(k).Minutes() | (k << 12))});
    expected.push_back({command::kChannelMode, index, channel.Mode(), 0});
  }
  expected.push_back({command::kFuncFlags, 0x95, 3, 0});

  const auto writes = Writes(controller.Port());
  ASSERT_EQ(writes.size(), expected.size());
  for (size_t i = 0; i < writes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(writes[i].code, expected[i].code);
    EXPECT_EQ(writes[i].index, expected[i].index);
    EXPECT_EQ(writes[i].byteArg, expected[i].byteArg);
    EXPECT_EQ(writes[i].word, expected[i].word);
  }
  EXPECT_EQ(controller.Config().Channel(0, 1).Timing(4).Minutes(), 77);
  EXPECT_EQ(controller.Config().Address(), 3);
  EXPECT_EQ(entry.SerialNumber, setup.serialNumber);  // from the serial number reply

  const auto& lines = observer.InfoLines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_NE(lines[0].find("] Scan connected device:: Open port @COM2."), std::string::npos);
  EXPECT_NE(lines[1].find("] Write to device:: Checking product ID ..."), std::string::npos);
  EXPECT_EQ(lines[2], "Ok");
  EXPECT_NE(lines[3].find("] Device[SN:5110240002]:: Writing configuration data ..."), std::string::npos);
  EXPECT_EQ(lines[4], "Ok");
  EXPECT_EQ(lines[5], "\r");
  EXPECT_FALSE(link.DeviceIdentified());
  // Only the first matching controller is written.
  EXPECT_EQ(opener.Asked(), (std::vector<int>{1, 2}));
}

TEST_F(WriteTest, WaitsAfterTheProductMatchBeforeTheSerialNumber) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  EntryOf(setup);
  std::vector<std::pair<size_t, unsigned>> waits;
  clock.OnSleep([&](unsigned ms) { waits.emplace_back(controller.Port().Written().size(), ms); });

  WriteDevice(context);

  // Identification: write, 32, 16; then the pause before the serial number goes out.
  ASSERT_GE(waits.size(), 4u);
  EXPECT_EQ(waits[2], (std::pair<size_t, unsigned>{1, kAfterMatchPauseMs}));
  EXPECT_EQ(waits[3].first, 2u);
  EXPECT_EQ(clock.TotalSleptMs(), 48 * controller.Port().Written().size() + kAfterMatchPauseMs);
}

TEST_F(WriteTest, MinutesTravelMaskedAndVerifyMasked) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  EntryOf(setup).Config.Channel(0, 0).Timing(3).SetMinutes(0x1234);

  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);

  const auto writes = Writes(controller.Port());
  const auto segment3 = std::find_if(writes.begin(), writes.end(), [](const sim::Request& r) {
    return r.code == command::kChannelTiming && (r.word >> 12) == 3;
  });
  ASSERT_NE(segment3, writes.end());
  EXPECT_EQ(segment3->word, 0x3234);
}

TEST_F(WriteTest, ZeroValuesOfConditionalFieldsAreNotSent) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  TDEVICE_CONFIG& entry = EntryOf(setup);
  entry.Config.SetBattOVP(0);
  entry.Config.SetSCV(0);

  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);

  const auto codes = test::Commands(Writes(controller.Port()));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kBattOVP), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kLightControl), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kBattFCV), 1);
}

TEST_F(WriteTest, UnsentValuesInTheEntryDoNotFailTheVerification) {
  sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  TDEVICE_CONFIG& entry = EntryOf(setup);
  entry.Config.SetOTP(50);  // no device type has the over-temperature limit
  entry.Config.SetBattReserved(7);
  entry.Config.Channel(0, 0).Timing2(1).SetMinutes(90);
  entry.Config.Channel(3, 2).SetMode(2);  // a group that never travels

  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);
  EXPECT_EQ(observer.InfoLines().at(observer.InfoLines().size() - 2), "Ok");
}

TEST_F(WriteTest, AnAlteredValueFailsTheVerification) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  setup.alterations[command::kBattUVP] = sim::Alteration{sim::AlterKind::Increment};
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  EntryOf(sim::DefaultSetup(kOneChannelRow));

  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);
  EXPECT_EQ(observer.InfoLines().at(observer.InfoLines().size() - 2), "Failure");
}

TEST_F(WriteTest, AnEchoThatNeverComesFailsEvenForAZeroValue) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  setup.config.Channel(0, 0).SetMode(0);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  EntryOf(setup);
  // The controller stores the mode but its answer is lost.
  sim::Responder responder(setup);
  controller.Port().OnWrite([&](int, const test::Bytes& written) -> std::vector<test::Bytes> {
    sim::RawFrame raw{};
    std::copy_n(written.begin(), raw.size(), raw.begin());
    const sim::Request request = sim::DecodeRequest(raw);
    const auto reply = responder.Answer(request, sim::Measurements{});
    if (!reply || request.code == command::kChannelMode) return {};
    return {*reply};
  });

  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);
}

TEST_F(WriteTest, WrongProductFailsThatPortAndTheNextIsTried) {
  ScriptedController other(sim::DefaultSetup(kOneChannelRow));
  ScriptedController match(sim::DefaultSetup(kTwoChannelRow));
  ScriptedController after(sim::DefaultSetup(kTwoChannelRow));
  opener.Attach(2, other.Port());
  opener.Attach(4, match.Port());
  opener.Attach(5, after.Port());
  EntryOf(sim::DefaultSetup(kTwoChannelRow));

  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);

  EXPECT_EQ(opener.Asked(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(after.Port().Written().empty());
  // The other product answered its first try: nothing but identification went to it.
  EXPECT_EQ(test::Commands(Sent(other.Port())), (std::vector<uint8_t>{command::kIdentify}));
  const auto& lines = observer.InfoLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[1].find("Checking product ID"), std::string::npos);
  EXPECT_EQ(lines[2], "Failure");
}

TEST_F(WriteTest, SilentPortsGetEightTriesAndNoControllerIsReported) {
  ScriptedPort silent;
  opener.Attach(6, silent);
  EntryOf(sim::DefaultSetup(kOneChannelRow));

  EXPECT_EQ(WriteDevice(context), WriteResult::NoMatchingController);

  const auto sent = Sent(silent);
  ASSERT_EQ(sent.size(), 24u);
  for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i].byteArg, i / 3);
  ASSERT_EQ(observer.InfoLines().size(), 4u);
  EXPECT_EQ(observer.InfoLines()[2], "Failure");
  EXPECT_EQ(observer.InfoLines()[3], "\r");
  EXPECT_EQ(opener.Asked().size(), 16u);
}

TEST_F(WriteTest, RefusedWhileAnotherOperationHoldsTheLink) {
  EntryOf(sim::DefaultSetup(kOneChannelRow));
  Link::Operation poll(link);
  EXPECT_EQ(WriteDevice(context), WriteResult::Busy);
  EXPECT_TRUE(opener.Asked().empty());
  EXPECT_TRUE(observer.InfoLines().empty());
}

TEST(WritePlanTest, EverySentFieldMustBeEchoed) {
  const TCONFIG_BLOCK block = sim::DefaultSetup(kTwoChannelRow).config;
  const auto plan = PlanWrite(block);
  std::vector<SentField> sent;
  for (const WriteRequest& request : plan) sent.insert(sent.end(), request.fields.begin(), request.fields.end());
  ASSERT_FALSE(sent.empty());

  TCONFIG_BLOCK marked;
  MarkUnechoed(marked, plan);
  // Echoes of all fields but one: the missing one fails the check.
  for (size_t missing = 0; missing < sent.size(); ++missing) {
    TCONFIG_BLOCK echo = marked;
    for (size_t i = 0; i < sent.size(); ++i)
      if (i != missing) WriteField(echo, sent[i].field, sent[i].value);
    EXPECT_FALSE(EchoMatches(echo, plan)) << "field " << missing;
  }
  TCONFIG_BLOCK echo = marked;
  for (const SentField& field : sent) WriteField(echo, field.field, field.value);
  EXPECT_TRUE(EchoMatches(echo, plan));
}

}  // namespace
}  // namespace lum
