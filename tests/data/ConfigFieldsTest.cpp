#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/ConfigFields.h"

namespace lum {
namespace {

size_t RegionSize(FieldScope scope) {
  switch (scope) {
    case FieldScope::Block:
      return block_layout::kChannels;
    case FieldScope::Channel:
      return block_layout::kChannelSize;
    default:
      return block_layout::kSegmentSize;
  }
}

// Every row lies inside its region and no two rows of a region share a byte: a wrong offset
// or width in the table would silently overwrite a neighbour.
TEST(ConfigFieldsTest, RowsFitTheirRegionWithoutOverlapping) {
  for (FieldScope scope : {FieldScope::Block, FieldScope::Channel, FieldScope::Timing, FieldScope::Timing2}) {
    std::vector<bool> used(RegionSize(scope), false);
    for (const ConfigField& field : ConfigFields()) {
      if (field.scope != scope) continue;
      ASSERT_LE(field.offset + field.width, used.size()) << field.name;
      for (size_t i = field.offset; i < field.offset + field.width; ++i) {
        EXPECT_FALSE(used[i]) << field.name << " overlaps at " << i;
        used[i] = true;
      }
    }
  }
}

TEST(ConfigFieldsTest, ValuesLandWhereTheBlockAccessorsReadThem) {
  TCONFIG_BLOCK block;
  WriteValue(block, *FindField(ConfigFields(), "BattOVP"), {}, 14400);
  WriteValue(block, *FindField(ConfigFields(), "ProductID"), {}, 0x515620);
  EXPECT_EQ(block.BattOVP(), 14400);
  EXPECT_EQ(block.ProductID(), 0x515620u);

  const ConfigField* minutes = nullptr;
  const ConfigField* minutes2 = nullptr;
  for (const ConfigField& field : ConfigFields()) {
    if (field.scope == FieldScope::Timing && std::string(field.name) == "Minutes") minutes = &field;
    if (field.scope == FieldScope::Timing2 && std::string(field.name) == "Minutes") minutes2 = &field;
  }
  ASSERT_TRUE(minutes && minutes2);
  WriteValue(block, *minutes, {3, 1, 4}, 1000);
  WriteValue(block, *minutes2, {0, 1, 0}, 77);
  EXPECT_EQ(block.Channel(3, 1).Timing(4).Minutes(), 1000);
  EXPECT_EQ(block.Channel(0, 1).Timing2(0).Minutes(), 77);
  EXPECT_EQ(ReadValue(block, *minutes, {3, 1, 4}), 1000u);
  EXPECT_FALSE(PlaceInRange(*minutes, {0, 0, 5}));
  EXPECT_FALSE(PlaceInRange(*minutes, {12, 0, 0}));
  EXPECT_TRUE(PlaceInRange(*FindField(ConfigFields(), "CV"), {11, 3, 9}));  // a channel field has no segment
}

TEST(ConfigFieldsTest, CapabilitiesDecideWhatAControllerHolds) {
  Capabilities caps;
  caps.HasPWMDimming = true;
  EXPECT_TRUE(CanHold(caps, *FindField(ConfigFields(), "CC")));
  EXPECT_FALSE(CanHold(caps, *FindField(ConfigFields(), "CV")));
  EXPECT_FALSE(CanHold(caps, *FindField(ConfigFields(), "BattOVP")));
  EXPECT_TRUE(CanHold(caps, *FindField(ConfigFields(), "Address")));
  EXPECT_FALSE(CanHold(Capabilities{true, true, true, true, true, true, true}, *FindField(ConfigFields(), "CapFlags")));
}

// Every field a write sends has a range inside what its bytes and its slot on the line can
// carry, and a value beyond the range is out of it whatever its flag bits say.
TEST(ConfigFieldsTest, EveryWrittenFieldHasARangeThatFlagBitsDoNotWiden) {
  for (const ConfigField& field : ConfigFields()) {
    if (field.need == WriteNeed::Never) continue;
    EXPECT_LE(field.minimum, field.maximum) << field.name;
    EXPECT_LE(field.maximum | field.flagBits, SlotMask(field.writeSlot)) << field.name;
    EXPECT_EQ(field.maximum & field.flagBits, 0u) << field.name;
  }
  const auto in = [](const char* name, uint32_t value) { return InRange(*FindField(ConfigFields(), name), value); };
  EXPECT_TRUE(in("Power", 100));
  EXPECT_FALSE(in("Power", 101));
  EXPECT_FALSE(in("Power", 255));
  EXPECT_TRUE(in("Minutes", 1000));
  EXPECT_FALSE(in("Minutes", 1001));
  EXPECT_TRUE(in("Mode", 2 | block_bits::kLoopMode));  // the loop flag beside work mode 2
  EXPECT_FALSE(in("Mode", 127));
  EXPECT_FALSE(in("Mode", 0xFF));
  EXPECT_TRUE(in("SCDelay", 30 | block_bits::kSCDelayUnit));
  EXPECT_FALSE(in("SCDelay", 5 | block_bits::kSCDelayUnit));
  EXPECT_FALSE(in("SCDelay", 0xFF));
  EXPECT_TRUE(in("FuncFlags", 0x7F));
  EXPECT_FALSE(in("FuncFlags", 0x80));
  EXPECT_FALSE(in("OTP", 0xFF));
  EXPECT_TRUE(in("BattOVP", 0xFFFF));  // nothing narrower than 16 bits is known of the voltages
}

TEST(ConfigFieldsTest, ValuesForPeople) {
  EXPECT_EQ(FormatFieldValue(*FindField(ConfigFields(), "BattOVP"), 14400), "14.40 V");
  EXPECT_EQ(FormatFieldValue(*FindField(ConfigFields(), "SCV"), 500), "5.00 V");
  EXPECT_EQ(FormatFieldValue(*FindField(ConfigFields(), "OTP"), 50), "50 °C");
  EXPECT_EQ(FormatFieldValue(*FindField(ConfigFields(), "BattReserved"), 777), "777");
  EXPECT_EQ(FindField(ConfigFields(), "NoSuchField"), nullptr);
}

}  // namespace
}  // namespace lum
