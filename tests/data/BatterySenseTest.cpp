#include <gtest/gtest.h>

#include <cstring>

#include "data/BatterySense.h"
#include "data/TypeTables.h"

namespace lum {
namespace {

TCONFIG_BLOCK WithPresets(int row) {
  const TBATTERY_TYPES& type = BatteryTypes()[static_cast<size_t>(row)];
  TCONFIG_BLOCK block;
  block.SetBattOVP(type.OVP);
  block.SetBattFCV(type.FCV);
  block.SetBattUVP(type.UVP);
  block.SetBattUVR(type.UVR);
  return block;
}

TEST(BatterySenseTest, PresetsAndCloseSettingsMakeSense) {
  for (int row = 0; row < kBatteryTypeCount; ++row) EXPECT_TRUE(DoubtfulBatteryVoltages(WithPresets(row)).empty());
  TCONFIG_BLOCK block = WithPresets(2);
  block.SetBattOVP(14800);  // a lead-acid battery charged a little higher
  block.SetBattUVP(11500);
  EXPECT_TRUE(DoubtfulBatteryVoltages(block).empty());
}

TEST(BatterySenseTest, AVoltageFarFromItsBatteryTypeIsNamedWithThatType) {
  // 12 V lead-acid with a charge cut-off typed as 4.2 V (a lithium value) and a reconnect of 65 V.
  TCONFIG_BLOCK block = WithPresets(2);
  block.SetBattOVP(4200);
  block.SetBattUVR(65000);
  const std::vector<VoltageDoubt> doubts = DoubtfulBatteryVoltages(block);
  ASSERT_EQ(doubts.size(), 2u);
  EXPECT_STREQ(doubts[0].field->name, "BattOVP");
  EXPECT_STREQ(doubts[1].field->name, "BattUVR");
  EXPECT_EQ(doubts[0].batteryRow, 2);
  EXPECT_LT(doubts[0].low, BatteryTypes()[2].OVP);
  EXPECT_GT(doubts[0].high, BatteryTypes()[2].OVP);
  EXPECT_GT(doubts[0].low, 4200);

  // Four lithium voltages are a lithium battery, not four slips on a lead-acid one.
  EXPECT_TRUE(DoubtfulBatteryVoltages(WithPresets(4)).empty());
  block = WithPresets(4);
  block.SetBattFCV(0);
  ASSERT_EQ(DoubtfulBatteryVoltages(block).size(), 1u);
  EXPECT_EQ(DoubtfulBatteryVoltages(block)[0].batteryRow, 4);
}

}  // namespace
}  // namespace lum
