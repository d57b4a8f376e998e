// A field added as one row of a copy of the field table reaches every part the table drives.
#include <gtest/gtest.h>

#include <vector>

#include "base/ByteOrder.h"
#include "cli/BlockText.h"
#include "cli/CliContext.h"
#include "data/ConfigFields.h"
#include "data/ConfigFile.h"
#include "data/ConfigJson.h"
#include "data/NewFileBlock.h"
#include "data/PageRules.h"
#include "device/ReadPlan.h"
#include "device/WritePlan.h"
#include "link/Frame.h"
#include "link/ReplyDispatcher.h"
#include "sim/Responder.h"
#include "support/RecordingObserver.h"

namespace lum {
namespace {

constexpr uint8_t kExtraCommand = 0x36;  // a command no row uses
constexpr uint16_t kExtraOffset = 18;    // in the reserved bytes after BattReserved
constexpr FieldId kExtraId{100};         // an id no built-in row has
constexpr uint32_t kExtraStart = 1200;
constexpr uint32_t kExtraSample = 3300;

class FieldTableTest : public ::testing::Test {
 protected:
  FieldTableTest() : fields(ConfigFields().begin(), ConfigFields().end()) {
    fields.push_back(ConfigField{.id = kExtraId,
                                 .name = "Extra",
                                 .offset = kExtraOffset,
                                 .width = 2,
                                 .scale = 1000,
                                 .unit = "V",
                                 .maximum = 0xFFFF,
                                 .storeAbove = 1000,
                                 .command = kExtraCommand,
                                 .writeSlot = FrameSlot::Word,
                                 .replySlot = FrameSlot::Word,
                                 .need = WriteNeed::Battery,
                                 .sentWhenZero = false,
                                 .read = ScanRead::Held,
                                 .start = kExtraStart,
                                 .sample = kExtraSample});
  }
  const ConfigField& Extra() const { return fields.back(); }

  std::vector<ConfigField> fields;
  test::RecordingObserver observer;
};

TEST_F(FieldTableTest, AnAddedFieldIsReadStartedAndHeldBySimulatedControllers) {
  // Read once the capabilities are known, after the other block fields, by a controller
  // that holds it only.
  Capabilities caps;
  caps.HasBattery = true;
  const auto reads = SettingsReads(caps, fields);
  ASSERT_EQ(reads.size(), SettingsReads(caps).size() + 1);
  EXPECT_EQ(reads.back(), (ReadRequest{kExtraCommand, 0, 0, "Extra"}));
  EXPECT_EQ(SettingsReads(Capabilities{}, fields), SettingsReads(Capabilities{}));
  EXPECT_EQ(IdentityReads(fields), IdentityReads());
  EXPECT_EQ(ReadsOfChannel(caps, 1, fields), ReadsOfChannel(caps, 1));

  // "New File" starts with its start value, and every other byte as before.
  TCONFIG_BLOCK started = NewFileStartBlock(fields);
  EXPECT_EQ(ReadValue(started, Extra()), kExtraStart);
  WriteValue(started, Extra(), {}, 0);
  EXPECT_EQ(started, NewFileStartBlock());

  // A simulated controller that holds it answers its read with its sample; one without a
  // battery holds none.
  const sim::ControllerSetup setup = sim::DefaultSetup(0, fields);
  EXPECT_EQ(ReadValue(setup.config, Extra()), kExtraSample);
  EXPECT_EQ(ReadValue(sim::DefaultSetup(3, fields).config, Extra()), 0u);
  sim::Responder controller(setup, fields);
  const auto answer = controller.Answer(sim::DecodeRequest(EncodeFrame(0, kExtraCommand, 0, 0, 0)), {});
  ASSERT_TRUE(answer.has_value());
  TCONFIG_BLOCK read;
  DispatchReply(*answer, read, nullptr, observer, fields);
  EXPECT_EQ(ReadValue(read, Extra()), kExtraSample);

  // Typed on a page: stored above its threshold, kept at or below it.
  EXPECT_EQ(StoreTypedText(read, Extra(), {}, "12.5", "."), TypedText::Taken);
  EXPECT_EQ(ReadValue(read, Extra()), 12500u);
  EXPECT_EQ(StoreTypedText(read, Extra(), {}, "0.9", "."), TypedText::AtThreshold);
  EXPECT_EQ(ReadValue(read, Extra()), 12500u);

  // Saved and opened with the block's bytes.
  const ConfigImage image = BuildConfigImage(read);
  EXPECT_EQ(ReadValue(ParseConfigImage(image.data(), image.size()).block, Extra()), 12500u);
}

TEST_F(FieldTableTest, AnAddedFieldIsDecodedAnsweredShownAndCarriedThroughJson) {
  // Decoded from its reply into the block; the built-in table leaves those bytes alone.
  TCONFIG_BLOCK block = NewFileStartBlock();
  const auto reply = EncodeFrame(0, ReplyCode(kExtraCommand), 0, 0, 12345);
  DispatchReply(reply, block, nullptr, observer);
  EXPECT_EQ(ReadValue(block, Extra()), 0u);
  DispatchReply(reply, block, nullptr, observer, fields);
  EXPECT_EQ(ReadValue(block, Extra()), 12345u);
  EXPECT_EQ(block.data()[kExtraOffset], 12345 & 0xFF);

  // A simulated controller stores a write of it and answers with what it holds.
  sim::Responder controller(sim::DefaultSetup(0), fields);
  const auto write = sim::DecodeRequest(EncodeFrame(0, kExtraCommand, frame::kWriteFlag, 0, 4321));
  const auto answer = controller.Answer(write, {});
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(ReadU16Be(answer->data() + frame::kWord), 4321);
  EXPECT_EQ(ReadValue(controller.Config(), Extra()), 4321u);

  // Shown with its scale and unit among the fields, in the order of the block.
  const std::string text = cli::BlockText(cli::CliContext(), "x.LUM", block, fields, cli::FieldNames::Raw);
  const size_t battReserved = text.find("BattReserved: 0\n");
  const size_t extra = text.find("Extra: 12.34 V\n");
  ASSERT_NE(extra, std::string::npos) << text;
  EXPECT_LT(battReserved, extra);
  EXPECT_LT(extra, text.find("SCV: "));

  // Carried through JSON by its name; the reserved run before SCV shrinks around it.
  const auto doc = BlockToJson(block, fields);
  EXPECT_EQ(doc.at("Extra"), 12345);
  EXPECT_FALSE(doc.contains("Reserved18"));
  EXPECT_EQ(doc.at("Reserved20").size(), 4u);
  EXPECT_EQ(BlockFromJson(nlohmann::json::parse(doc.dump()), fields), block);
  EXPECT_THROW(BlockFromJson(nlohmann::json::parse(doc.dump())), ConfigJsonError);
}

TEST_F(FieldTableTest, AnAddedFieldIsWrittenAndVerifiedByItsEcho) {
  TCONFIG_BLOCK entry = sim::DefaultSetup(0).config;
  EXPECT_EQ(PlanWrite(entry, fields).size(), PlanWrite(entry).size());  // not sent while zero
  WriteValue(entry, Extra(), {}, 2500);
  const auto plan = PlanWrite(entry, fields);
  ASSERT_EQ(plan.size(), PlanWrite(entry).size() + 1);
  EXPECT_EQ(plan.back().command, kExtraCommand);  // in the order of the table: last
  EXPECT_EQ(plan.back().index, frame::kWriteFlag);
  EXPECT_EQ(plan.back().word, 2500);

  // The controller stores every request and echoes it; its echoes verify the write.
  sim::Responder controller(sim::DefaultSetup(0), fields);
  TCONFIG_BLOCK echo = entry;
  MarkUnechoed(echo, plan);
  for (const WriteRequest& r : plan) {
    const auto answer =
        controller.Answer(sim::DecodeRequest(EncodeFrame(0, r.command, r.index, r.byteArg, r.word)), {});
    ASSERT_TRUE(answer.has_value()) << int{r.command};
    DispatchReply(*answer, echo, nullptr, observer, fields);
  }
  const std::vector<bool> answered(plan.size(), true);
  EXPECT_EQ(ReadValue(controller.Config(), Extra()), 2500u);
  EXPECT_TRUE(FieldsNotHeld(entry, echo, plan, answered, &entry, fields).empty());

  // An echo of another value, or none, names the field.
  WriteValue(echo, Extra(), {}, 2501);
  auto mismatches = FieldsNotHeld(entry, echo, plan, answered, &entry, fields);
  ASSERT_EQ(mismatches.size(), 1u);
  EXPECT_EQ(FieldName(mismatches[0].field), "Extra");
  EXPECT_EQ(mismatches[0].held, 2501);
  // Held but not sent (zero in the entry): the last read of the controller decides.
  TCONFIG_BLOCK zero = entry;
  WriteValue(zero, Extra(), {}, 0);
  const auto unsent = PlanWrite(zero, fields);
  mismatches = FieldsNotHeld(zero, zero, unsent, std::vector<bool>(unsent.size(), true), &entry, fields);
  ASSERT_EQ(mismatches.size(), 1u);
  EXPECT_FALSE(mismatches[0].sent);
  EXPECT_EQ(mismatches[0].held, 2500);
}

// The built-in table describes the block without overlaps and with the layout's reserved runs.
TEST_F(FieldTableTest, BuiltInJsonKeepsItsReservedRuns) {
  const auto doc = BlockToJson(TCONFIG_BLOCK());
  EXPECT_EQ(doc.at("Reserved18").size(), 6u);
  EXPECT_EQ(doc.at("Reserved27").size(), 5u);
  const auto& channel = doc.at("Channels").at(0).at(0);
  EXPECT_EQ(channel.at("Reserved").size(), 1u);
  std::vector<std::string> keys;
  for (const auto& item : channel.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"Mode", "Reserved", "CC", "CV", "Timing", "Timing2"}));
  EXPECT_EQ(channel.at("Timing").at(4).dump(), R"({"Minutes":0,"Power":0})");
}

}  // namespace
}  // namespace lum
