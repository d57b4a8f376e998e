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
  WriteValue(block, Field(FieldId::BattOVP), {}, 14400);
  WriteValue(block, Field(FieldId::ProductID), {}, 0x515620);
  EXPECT_EQ(block.BattOVP(), 14400);
  EXPECT_EQ(block.ProductID(), 0x515620u);

  const ConfigField* minutes = &Field(FieldId::Minutes);
  const ConfigField* minutes2 = &Field(FieldId::Minutes2);
  WriteValue(block, *minutes, {3, 1, 4}, 1000);
  WriteValue(block, *minutes2, {0, 1, 0}, 77);
  EXPECT_EQ(block.Channel(3, 1).Timing(4).Minutes(), 1000);
  EXPECT_EQ(block.Channel(0, 1).Timing2(0).Minutes(), 77);
  EXPECT_EQ(ReadValue(block, *minutes, {3, 1, 4}), 1000u);
  EXPECT_FALSE(PlaceInRange(*minutes, {0, 0, 5}));
  EXPECT_FALSE(PlaceInRange(*minutes, {12, 0, 0}));
  EXPECT_TRUE(PlaceInRange(Field(FieldId::CV), {11, 3, 9}));  // a channel field has no segment
}

TEST(ConfigFieldsTest, CapabilitiesDecideWhatAControllerHolds) {
  Capabilities caps;
  caps.HasPWMDimming = true;
  EXPECT_TRUE(CanHold(caps, Field(FieldId::CC)));
  EXPECT_FALSE(CanHold(caps, Field(FieldId::CV)));
  EXPECT_FALSE(CanHold(caps, Field(FieldId::BattOVP)));
  EXPECT_TRUE(CanHold(caps, Field(FieldId::Address)));
  EXPECT_FALSE(CanHold(Capabilities{true, true, true, true, true, true, true}, Field(FieldId::CapFlags)));
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
  const auto in = [](FieldId id, uint32_t value) { return InRange(Field(id), value); };
  EXPECT_TRUE(in(FieldId::Power, 100));
  EXPECT_FALSE(in(FieldId::Power, 101));
  EXPECT_FALSE(in(FieldId::Power, 255));
  EXPECT_TRUE(in(FieldId::Minutes, 1000));
  EXPECT_FALSE(in(FieldId::Minutes, 1001));
  EXPECT_TRUE(in(FieldId::Mode, 2 | block_bits::kLoopMode));  // the loop flag beside work mode 2
  EXPECT_FALSE(in(FieldId::Mode, 127));
  EXPECT_FALSE(in(FieldId::Mode, 0xFF));
  EXPECT_TRUE(in(FieldId::SCDelay, 30 | block_bits::kSCDelayUnit));
  EXPECT_FALSE(in(FieldId::SCDelay, 5 | block_bits::kSCDelayUnit));
  EXPECT_FALSE(in(FieldId::SCDelay, 0xFF));
  EXPECT_TRUE(in(FieldId::FuncFlags, 0x7F));
  EXPECT_FALSE(in(FieldId::FuncFlags, 0x80));
  EXPECT_FALSE(in(FieldId::OTP, 0xFF));
  EXPECT_TRUE(in(FieldId::BattOVP, 0xFFFF));  // nothing narrower than 16 bits is known of the voltages
}

TEST(ConfigFieldsTest, ValuesForPeople) {
  EXPECT_EQ(FormatFieldValue(Field(FieldId::BattOVP), 14400), "14.40 V");
  EXPECT_EQ(FormatFieldValue(Field(FieldId::SCV), 500), "5.00 V");
  EXPECT_EQ(FormatFieldValue(Field(FieldId::OTP), 50), "50 °C");
  EXPECT_EQ(FormatFieldValue(Field(FieldId::BattReserved), 777), "777");
}

}  // namespace
}  // namespace lum
