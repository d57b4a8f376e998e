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
  const ConfigField& ovp = Field(FieldId::BattOVP);
  block.SetBattOVP(14400);
  EXPECT_EQ(StoreTypedText(block, ovp, {}, "3.00", "."), TypedText::AtThreshold);  // 3000 mV is not above it
  EXPECT_EQ(block.BattOVP(), 14400);
  EXPECT_EQ(StoreTypedText(block, ovp, {}, "3.01", "."), TypedText::Taken);
  EXPECT_EQ(block.BattOVP(), 3010);

  const ConfigField& scv = Field(FieldId::SCV);
  EXPECT_EQ(StoreTypedText(block, scv, {}, "1.00", "."), TypedText::AtThreshold);
  EXPECT_EQ(StoreTypedText(block, scv, {}, "5.5", "."), TypedText::Taken);
  EXPECT_EQ(block.SCV(), 550);

  // A channel field without a threshold takes every value, zero too, at its place.
  const ConfigField& cc = Field(FieldId::CC);
  block.Channel(kPageGroup, 1).SetCC(700);
  EXPECT_EQ(StoreTypedText(block, cc, {kPageGroup, 1}, "0", "."), TypedText::Taken);
  EXPECT_EQ(block.Channel(kPageGroup, 1).CC(), 0);
  EXPECT_EQ(FormatFieldNumber(cc, 1500), "1.50");
  EXPECT_EQ(FormatFieldNumber(Field(FieldId::OTP), 65), "65");
}

// What is not a number is refused whole: no part of it is read, nothing is stored, and a
// field without a threshold (the rated current) no longer takes it as 0.
TEST(PageRulesTest, TextsThatAreNotNumbersAreRefusedAndChangeNothing) {
  TCONFIG_BLOCK block;
  const ConfigField& scv = Field(FieldId::SCV);
  const ConfigField& cc = Field(FieldId::CC);
  block.SetSCV(620);
  block.Channel(kPageGroup, 0).SetCC(700);
  for (const char* text : {"12,5", "1e3", "abc", "", "1x.5", "-1", "1.2.3"}) {
    EXPECT_EQ(StoreTypedText(block, scv, {}, text, "."), TypedText::NotANumber) << text;
    EXPECT_EQ(StoreTypedText(block, cc, {kPageGroup, 0}, text, "."), TypedText::NotANumber) << text;
  }
  EXPECT_EQ(block.SCV(), 620);
  EXPECT_EQ(block.Channel(kPageGroup, 0).CC(), 700);
  // The language's own separator is taken beside ".".
  EXPECT_EQ(StoreTypedText(block, scv, {}, "12,5", ","), TypedText::Taken);
  EXPECT_EQ(block.SCV(), 1250);
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
  const ConfigField& ovp = Field(FieldId::BattOVP);
  const ConfigField& cc = Field(FieldId::CC);
  block.SetBattOVP(65535);
  block.Channel(kPageGroup, 0).SetCC(12345);
  EXPECT_EQ(StoreTypedText(block, ovp, {}, FormatFieldNumber(ovp, 65535), "."), TypedText::Taken);
  EXPECT_EQ(StoreTypedText(block, cc, {kPageGroup, 0}, FormatFieldNumber(cc, 12345), "."), TypedText::Taken);
  EXPECT_EQ(block.BattOVP(), 65535);
  EXPECT_EQ(block.Channel(kPageGroup, 0).CC(), 12345);
  // A changed text is stored as typed.
  EXPECT_EQ(StoreTypedText(block, cc, {kPageGroup, 0}, "12.30", "."), TypedText::Taken);
  EXPECT_EQ(block.Channel(kPageGroup, 0).CC(), 12300);
}

}  // namespace lum
