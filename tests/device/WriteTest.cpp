// Write with verification against scripted controllers with a fake clock.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "DeviceTestSupport.h"
#include "device/InfoLines.h"
#include "device/Scan.h"
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

TEST_F(WriteTest, AnEntryWithoutAKnownDeviceTypeIsNotWritten) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  setup.config.SetProductID(0x515611);  // no device type has it; the controller answers with it
  ScriptedController controller(setup);
  opener.Attach(2, controller.Port());
  EntryOf(setup);
  EXPECT_EQ(WriteDevice(context), WriteResult::NoConfig);
  EXPECT_TRUE(opener.Asked().empty());
  EXPECT_TRUE(Sent(controller.Port()).empty());
  ASSERT_EQ(observer.InfoLines().size(), 2u);
  EXPECT_NE(observer.InfoLines()[0].find(
                "] Write to device:: Product code 0x00515611 is not a known device type; nothing was sent."),
            std::string::npos)
      << observer.InfoLines()[0];
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

// Minutes over the grid's 1000 (the old test's 4096 and 65535 among them), a power over 100 %,
// a work mode beyond the list: the write names each under the window's labels and sends
// nothing, not even identification.
TEST_F(WriteTest, ValuesOutsideTheirRangesAreRefusedBeforeAnythingIsSent) {
  sim::ControllerSetup setup = sim::DefaultSetup(kTwoChannelRow);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  TDEVICE_CONFIG& entry = EntryOf(setup);
  entry.Config.Channel(0, 1).Timing(3).SetMinutes(4096);
  entry.Config.Channel(0, 0).Timing(0).SetMinutes(0xFFFF);
  entry.Config.Channel(0, 0).Timing(1).SetMinutes(1001);
  entry.Config.Channel(0, 1).Timing(2).SetPower(255);
  entry.Config.Channel(0, 1).SetMode(127);
  context.labels = FieldLabels(FieldLabels::Captions{{"grpChMode", "工作模式"}});

  EXPECT_EQ(WriteDevice(context), WriteResult::Unwritable);

  EXPECT_TRUE(opener.Asked().empty());
  EXPECT_TRUE(controller.Port().Written().empty());
  const auto& lines = observer.InfoLines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_TRUE(lines[0].ends_with("] 第 1 路 第一段 时间(分钟) 65535 min 超出范围 0 min 到 1000 min。")) << lines[0];
  EXPECT_TRUE(lines[1].ends_with("] 第 1 路 第二段 时间(分钟) 1001 min 超出范围 0 min 到 1000 min。")) << lines[1];
  EXPECT_TRUE(lines[2].ends_with("] 第 2 路 第三段 功率0-100% 255 % 超出范围 0 % 到 100 %。")) << lines[2];
  EXPECT_TRUE(lines[3].ends_with("] 第 2 路 第四段 时间(分钟) 4096 min 超出范围 0 min 到 1000 min。")) << lines[3];
  EXPECT_TRUE(lines[4].ends_with("] 第 2 路 工作模式 127 超出范围 0 到 2。")) << lines[4];
  EXPECT_TRUE(lines[5].ends_with("] 未写入任何内容：每个值都必须在其范围内。")) << lines[5];
  EXPECT_EQ(lines[6], "\r");

  // At the ends of their ranges, with the loop flag beside the work mode, they are written.
  entry.Config.Channel(0, 1).Timing(3).SetMinutes(1000);
  entry.Config.Channel(0, 0).Timing(0).SetMinutes(0);
  entry.Config.Channel(0, 0).Timing(1).SetMinutes(1000);
  entry.Config.Channel(0, 1).Timing(2).SetPower(100);
  entry.Config.Channel(0, 1).SetMode(2 | block_bits::kLoopMode);
  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);
  EXPECT_EQ(controller.Config().Channel(0, 1).Timing(2).Power(), 100);
}

TEST_F(WriteTest, ZeroValuesOfConditionalFieldsAreNotSentAndNotTakenAsHeld) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  TDEVICE_CONFIG& entry = EntryOf(setup);
  entry.Config.SetBattOVP(0);
  entry.Config.SetSCV(0);

  // Nothing says the controller holds these zeros: it was never read.
  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);

  const auto codes = test::Commands(Writes(controller.Port()));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kBattOVP), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kLightControl), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), command::kBattFCV), 1);
  const auto& lines = observer.InfoLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[4], "Failure");
  // SCDelay travels with SCV, so it is not sent either.
  EXPECT_NE(lines[5].find("] Write to device:: SCDelay: the entry holds"), std::string::npos) << lines[5];
  EXPECT_NE(lines[6].find("] Write to device:: SCV: the entry holds 0, the controller was neither written nor read"),
            std::string::npos)
      << lines[6];
  EXPECT_NE(lines[7].find("BattOVP: the entry holds 0"), std::string::npos) << lines[7];
  EXPECT_EQ(lines[8], "\r");
}

TEST_F(WriteTest, UnsentFieldsAreHeldWhenTheLastReadOfTheControllerHadThem) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  setup.config.SetBattOVP(0);
  setup.config.SetSCV(0);
  setup.config.SetSCDelay(0);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  ASSERT_TRUE(ScanPorts(context, {}));
  TDEVICE_CONFIG& device = *entries.DeviceEntries()[0];
  ASSERT_EQ(entries.CurrentEntry(), &device);

  device.Config.Channel(0, 0).Timing(1).SetMinutes(333);
  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);
  EXPECT_EQ(observer.InfoLines().at(observer.InfoLines().size() - 2), "Ok");

  // A file entry of the same product is compared with that read too, through the serial
  // number the write reads: its zero BattOVP is what the controller holds.
  TDEVICE_CONFIG& file = CurrentFileEntry(device.Config);
  EXPECT_EQ(WriteDevice(context), WriteResult::Verified);
  file.Config.SetBattOVP(0);
  file.Config.SetBattFCV(0);  // the controller holds a non-zero one, and it is not sent
  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);
  EXPECT_NE(observer.InfoLines()
                .at(observer.InfoLines().size() - 2)
                .find(fmt::format("BattFCV: the entry holds 0, the controller holds {}.", setup.config.BattFCV())),
            std::string::npos)
      << observer.InfoLines().at(observer.InfoLines().size() - 2);
}

TEST_F(WriteTest, AValueTheEntrysCapabilitiesNeverSendFailsWhenTheControllerHoldsAnother) {
  // The entry says "no light control" (0x48), so SCV is never sent; the controller (CapFlags
  // 0, a row with light control) keeps its own SCV.
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  ASSERT_EQ(setup.config.CapFlags(), 0);
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  ASSERT_TRUE(ScanPorts(context, {}));
  TDEVICE_CONFIG& device = *entries.DeviceEntries()[0];
  device.Config.SetCapFlags(0x48);
  device.Config.SetSCV(static_cast<uint16_t>(setup.config.SCV() + 100));

  EXPECT_EQ(WriteDevice(context), WriteResult::VerifyFailed);

  const auto sent = Sent(controller.Port());
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const sim::Request& r) { return r.IsWrite(); }), 12);
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                          [](const sim::Request& r) { return r.IsWrite() && r.code == command::kLightControl; }),
            0);
  EXPECT_EQ(controller.Config().SCV(), setup.config.SCV());
  const auto& lines = observer.InfoLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "Failure");
  EXPECT_NE(lines[lines.size() - 2].find(fmt::format("SCV: the entry holds {}, the controller holds {}.",
                                                     device.Config.SCV(), setup.config.SCV())),
            std::string::npos)
      << lines[lines.size() - 2];
}

TEST_F(WriteTest, AnEntryFromAnIncompleteReadIsNeverWritten) {
  sim::ControllerSetup setup = sim::DefaultSetup(kOneChannelRow);
  setup.answerLimit = 10;
  ScriptedController controller(setup);
  opener.Attach(1, controller.Port());
  ASSERT_FALSE(ScanPorts(context, {}));
  const size_t readRequests = controller.Port().Written().size();
  observer.Clear();

  EXPECT_EQ(WriteDevice(context), WriteResult::NoConfig);

  EXPECT_EQ(controller.Port().Written().size(), readRequests);
  ASSERT_EQ(observer.InfoLines().size(), 2u);
  EXPECT_NE(observer.InfoLines()[0].find("] Write to device:: The configuration was not read completely"),
            std::string::npos);
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
  const auto& lines = observer.InfoLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "Failure");
  EXPECT_NE(lines[lines.size() - 2].find(fmt::format("BattUVP: the entry holds {}, the controller holds {}.",
                                                     setup.config.BattUVP(), setup.config.BattUVP() + 1)),
            std::string::npos)
      << lines[lines.size() - 2];
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

TEST(WritePlanTest, EverySentFieldMustBeEchoedEqual) {
  const TCONFIG_BLOCK block = sim::DefaultSetup(kTwoChannelRow).config;
  const auto plan = PlanWrite(block);
  std::vector<SentField> sent;
  for (const WriteRequest& request : plan) sent.insert(sent.end(), request.fields.begin(), request.fields.end());
  ASSERT_FALSE(sent.empty());
  const std::vector<bool> allAnswered(plan.size(), true);

  TCONFIG_BLOCK echo = block;
  EXPECT_TRUE(FieldsNotHeld(block, echo, plan, allAnswered, nullptr).empty());
  // Each field echoed with another value is named; a request without an echo names its fields.
  for (const SentField& field : sent) {
    TCONFIG_BLOCK altered = echo;
    WriteField(altered, field.field, static_cast<uint16_t>(field.value ^ 1));
    const auto mismatches = FieldsNotHeld(block, altered, plan, allAnswered, nullptr);
    ASSERT_EQ(mismatches.size(), 1u) << FieldName(field.field);
    EXPECT_EQ(mismatches[0].field, field.field);
    EXPECT_EQ(mismatches[0].held, static_cast<uint16_t>(field.value ^ 1));
  }
  for (size_t missing = 0; missing < plan.size(); ++missing) {
    std::vector<bool> answered = allAnswered;
    answered[missing] = false;
    const auto mismatches = FieldsNotHeld(block, echo, plan, answered, nullptr);
    ASSERT_EQ(mismatches.size(), plan[missing].fields.size()) << missing;
    for (const FieldMismatch& m : mismatches) EXPECT_FALSE(m.held.has_value());
  }
}

TEST(WritePlanTest, HeldFieldsFollowTheCapabilities) {
  Capabilities none;
  const auto minimal = HeldFields(none, 1);
  // Without any capability a channel still holds its mode and timing; FuncFlags and Address.
  EXPECT_EQ(minimal.size(), 1u + 2u * block_layout::kSegments + 2u);
  Capabilities all{true, true, true, true, true, true, true};
  const auto full = HeldFields(all, 2);
  EXPECT_EQ(full.size(), 7u + 2u * (3u + 2u * block_layout::kSegments) + 2u);
  EXPECT_NE(std::find(full.begin(), full.end(), FieldRef{&Field(FieldId::CV), 1}), full.end());
  EXPECT_EQ(FieldName({&Field(FieldId::Power), 1, 4}), "channel 2 segment 5 power");
}

}  // namespace
}  // namespace lum
