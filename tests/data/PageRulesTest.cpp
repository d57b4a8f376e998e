#include <gtest/gtest.h>

#include "data/NumberFormats.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"

namespace lum {
namespace {

namespace bits = block_bits;

TEST(PageRulesTest, FuncFlagsPackOverTheOldValueAndUnpackAgain) {
  // Everything on, PIR chosen; bit 7 and nothing else outside the pages' bits survives.
  PageFlags all{true, false, true, true, true, true, true};
  const uint8_t packed = PackFuncFlags(0x80, all);
  EXPECT_EQ(packed, 0x80 | bits::kMiEnabled | 1 | bits::kIRReceiver | bits::kPWMDimming | bits::kEnergySaving |
                        bits::kTempComp);
  EXPECT_EQ(UnpackFuncFlags(packed), all);
  EXPECT_EQ(PackFuncFlags(0xFF, PageFlags{}), 0x80 | bits::kMiModeMask);  // MI off keeps the mode bits

  // With MI on and no radio button checked (modes 2 and 3 show none) the mode stays.
  const uint8_t mode3 = bits::kMiEnabled | 3;
  const PageFlags shown = UnpackFuncFlags(mode3);
  EXPECT_TRUE(shown.mi);
  EXPECT_FALSE(shown.rainDetect || shown.pir);
  EXPECT_EQ(PackFuncFlags(mode3, shown), mode3);
  PageFlags rain = shown;
  rain.rainDetect = true;
  EXPECT_EQ(PackFuncFlags(mode3, rain), bits::kMiEnabled);
}

TEST(PageRulesTest, DelayAndModeBytes) {
  EXPECT_EQ(PackSCDelay(30, true), 30 | bits::kSCDelayUnit);
  EXPECT_EQ(PackSCDelay(60, false), 60);
  EXPECT_EQ(PackMode(2, true), 2 | bits::kLoopMode);
  EXPECT_EQ(PackMode(-1, false), 0xFF);  // no selection is the index byte of -1
}

TEST(PageRulesTest, TypedValuesAtOrBelowTheThresholdKeepTheOldOne) {
  TCONFIG_BLOCK block;
  const ConfigField& ovp = *FindField(ConfigFields(), "BattOVP");
  block.SetBattOVP(14400);
  EXPECT_FALSE(StoreTypedText(block, ovp, {}, "3.00"));  // 3000 mV is not above it
  EXPECT_EQ(block.BattOVP(), 14400);
  EXPECT_TRUE(StoreTypedText(block, ovp, {}, "3.01"));
  EXPECT_EQ(block.BattOVP(), 3010);
  EXPECT_FALSE(StoreTypedText(block, ovp, {}, "abc"));  // no number at all reads as 0
  EXPECT_THROW(StoreTypedText(block, ovp, {}, "1x.5"), ConversionError);
  EXPECT_EQ(block.BattOVP(), 3010);

  const ConfigField& scv = *FindField(ConfigFields(), "SCV");
  EXPECT_FALSE(StoreTypedText(block, scv, {}, "1.00"));
  EXPECT_TRUE(StoreTypedText(block, scv, {}, "5.5"));
  EXPECT_EQ(block.SCV(), 550);

  // A channel field without a threshold takes every value, zero too, at its place.
  const ConfigField& cc = *FindField(ConfigFields(), "CC");
  block.Channel(kPageGroup, 1).SetCC(700);
  EXPECT_TRUE(StoreTypedText(block, cc, {kPageGroup, 1}, "0"));
  EXPECT_EQ(block.Channel(kPageGroup, 1).CC(), 0);
  EXPECT_EQ(FormatFieldNumber(cc, 1500), "1.50");
  EXPECT_EQ(FormatFieldNumber(*FindField(ConfigFields(), "OTP"), 65), "65");
}

TEST(PageRulesTest, BatteryTypeIsTheOneWhosePresetsAreAllFourVoltages) {
  TCONFIG_BLOCK block;
  const TBATTERY_TYPES& lead12 = BatteryTypes()[2];
  block.SetBattOVP(lead12.OVP);
  block.SetBattFCV(lead12.FCV);
  block.SetBattUVP(lead12.UVP);
  block.SetBattUVR(lead12.UVR);
  EXPECT_EQ(MatchingBatteryType(block), 2);
  block.SetBattUVR(static_cast<uint16_t>(lead12.UVR + 1));  // one voltage off: custom parameters
  EXPECT_EQ(MatchingBatteryType(block), 0);
}

TEST(PageRulesTest, DeviceRowsGiveProductCodeAndChannels) {
  for (int row = 0; row < kDeviceTypeCount; ++row) {
    EXPECT_EQ(LookupProductID(ProductCodeOfRow(row)), row);
    EXPECT_EQ(ChannelsOfRow(row), DeviceTypes()[static_cast<size_t>(row)].Channels);
  }
  EXPECT_EQ(ProductCodeOfRow(-1), 0u);
  EXPECT_EQ(ChannelsOfRow(-1), 0);
  EXPECT_EQ(ChannelsOfRow(kDeviceTypeCount), 0);
}

}  // namespace
TEST(PageRulesTest, TheShownTextOfAStoredValueKeepsItExactly) {
  TCONFIG_BLOCK block;
  const ConfigField& ovp = *FindField(ConfigFields(), "BattOVP");
  const ConfigField& cc = *FindField(ConfigFields(), "CC");
  block.SetBattOVP(65535);
  block.Channel(kPageGroup, 0).SetCC(12345);
  EXPECT_TRUE(StoreTypedText(block, ovp, {}, FormatFieldNumber(ovp, 65535)));
  EXPECT_TRUE(StoreTypedText(block, cc, {kPageGroup, 0}, FormatFieldNumber(cc, 12345)));
  EXPECT_EQ(block.BattOVP(), 65535);
  EXPECT_EQ(block.Channel(kPageGroup, 0).CC(), 12345);
  // A changed text is stored as typed.
  EXPECT_TRUE(StoreTypedText(block, cc, {kPageGroup, 0}, "12.30"));
  EXPECT_EQ(block.Channel(kPageGroup, 0).CC(), 12300);
}

}  // namespace lum
