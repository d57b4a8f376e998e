#include <gtest/gtest.h>

#include <vector>

#include "link/Frame.h"
#include "link/ReplyDispatcher.h"
#include "support/RecordingObserver.h"

namespace lum {
namespace {

class ReplyDispatcherTest : public ::testing::Test {
 protected:
  ReplyEffect Short(uint8_t code, uint8_t b2, uint8_t b3, uint16_t w, uint8_t address = 0) {
    const auto bytes = EncodeFrame(address, code, b2, b3, w);
    return DispatchReply(bytes, block, &entry, observer);
  }
  ReplyEffect Long(uint8_t code, const std::vector<uint8_t>& data) {
    const auto bytes = EncodeLongFrame(0, code, data);
    return DispatchReply(bytes, block, &entry, observer);
  }

  TCONFIG_BLOCK block;
  TDEVICE_CONFIG entry;
  test::RecordingObserver observer;
};

TEST_F(ReplyDispatcherTest, PowerOnTimeIsReportedInSeconds) {
  Short(0x84, 0, 7, 125);  // W counts minutes, b3 seconds
  EXPECT_EQ(observer.Last(ValueId::PowerOnTime), (Measurement{ValueId::PowerOnTime, 125 * 60 + 7, Unit::Seconds}));
  Short(0x84, 0, 0, 0);
  EXPECT_EQ(observer.Raw(ValueId::PowerOnTime), 0);
}

TEST_F(ReplyDispatcherTest, MeasurementsArriveAsRawValuesInTheirUnits) {
  Short(0x91, 0, 0, 12340);
  EXPECT_EQ(observer.Last(ValueId::BatteryVoltage), (Measurement{ValueId::BatteryVoltage, 12340, Unit::Millivolts}));
  Short(0x93, 0, 0, 1805);
  EXPECT_EQ(observer.Last(ValueId::SolarVoltage), (Measurement{ValueId::SolarVoltage, 1805, Unit::TenMillivolts}));
  Short(0x95, 0, 0, 5);
  EXPECT_EQ(observer.Raw(ValueId::Load1Voltage), 5);
  Short(0x96, 0, 0, 1500);
  EXPECT_EQ(observer.Last(ValueId::Load1Current), (Measurement{ValueId::Load1Current, 1500, Unit::Milliamperes}));
  Short(0x97, 0, 0, 65535);
  EXPECT_EQ(observer.Raw(ValueId::DCInVoltage), 65535);
  Short(0x90, 0, 55, 31);
  EXPECT_EQ(observer.Last(ValueId::Temperature), (Measurement{ValueId::Temperature, 31, Unit::Celsius}));
  EXPECT_EQ(block.OTP(), 55);
}

TEST_F(ReplyDispatcherTest, CalibrationReferences) {
  Short(0xA6, 0, 0xFF, 300);
  EXPECT_EQ(observer.Raw(ValueId::Load1ARefOffset), -1);  // a signed byte
  EXPECT_EQ(observer.Raw(ValueId::Load1ARef), 300);
  Short(0xA6, 0, 0x7F, 0);
  EXPECT_EQ(observer.Raw(ValueId::Load1ARefOffset), 127);
  Short(0xA0, 0, 0, 1);
  Short(0xA1, 0, 0, 2);
  Short(0xA3, 0, 0, 3);
  Short(0xA5, 0, 0, 4);
  Short(0xA7, 0, 0, 65535);
  EXPECT_EQ(observer.Raw(ValueId::TempRef), 1);
  EXPECT_EQ(observer.Raw(ValueId::BattVRef), 2);
  EXPECT_EQ(observer.Raw(ValueId::SolarVRef), 3);
  EXPECT_EQ(observer.Raw(ValueId::Load1VRef), 4);
  EXPECT_EQ(observer.Raw(ValueId::DCInVRef), 65535);
}

TEST_F(ReplyDispatcherTest, IdentificationDropsLowBitsAndIdentifies) {
  block.SetProductID(0xAABBCCDD);
  const auto effect = Short(0x81, 0x99, 0x12, 0x3456);
  EXPECT_EQ(block.ProductID(), 0x123450u);
  EXPECT_TRUE(effect.identified);
  EXPECT_FALSE(Short(0x82, 0, 1, 2).identified);
}

TEST_F(ReplyDispatcherTest, IdentityFieldsGoIntoTheEntry) {
  Short(0x82, 0, 123, 7);
  Short(0x83, 0x12, 0x34, 0x5678);
  Short(0x85, 0x1C, 0x07, 2016);
  EXPECT_EQ(entry.FirmwareVersion, 123);
  EXPECT_EQ(entry.FirmwareBuild, 7);
  EXPECT_EQ(entry.SerialNumber, 0x12345678u);
  EXPECT_EQ(entry.BatchCode, 0x1C0707E0u);
  // The observer hears them too, with or without an entry.
  EXPECT_EQ(observer.Raw(ValueId::FirmwareVersion), 123);
  EXPECT_EQ(observer.Raw(ValueId::SerialNumber), 0x12345678);
  DispatchReply(EncodeFrame(0, 0x85, 0x01, 0x02, 3), block, nullptr, observer);
  EXPECT_EQ(observer.Last(ValueId::BatchCode), (Measurement{ValueId::BatchCode, 0x01020003, Unit::Code}));
}

TEST_F(ReplyDispatcherTest, IdentityRepliesWithoutEntryChangeNothing) {
  const TCONFIG_BLOCK before = block;
  for (const uint8_t code : std::initializer_list<uint8_t>{0x82, 0x83, 0x85}) {
    const auto bytes = EncodeFrame(0, code, 1, 2, 3);
    DispatchReply(bytes, block, nullptr, observer);
  }
  const auto model = EncodeLongFrame(0, 0xF0, std::vector<uint8_t>{'A'});
  DispatchReply(model, block, nullptr, observer);
  EXPECT_EQ(block, before);
}

TEST_F(ReplyDispatcherTest, FunctionFlagsReply) {
  Short(0x87, 0xFF, 0x21, 0, 0x2A);
  EXPECT_EQ(block.FuncFlags(), 0x7F);
  EXPECT_EQ(block.Address(), 0x2A);
  EXPECT_EQ(block.CapFlags(), 0x21);
  // Both bytes travel as values, as the block holds them (bit 7 of b2 is no flag).
  EXPECT_EQ(observer.Values(), (std::vector<Measurement>{{ValueId::FunctionFlags, 0x7F, Unit::Flags},
                                                         {ValueId::CapabilityFlags, 0x21, Unit::Flags}}));
  Short(0x87, 0x05, 0x00, 0);
  EXPECT_EQ(observer.Raw(ValueId::FunctionFlags), 0x05);
  EXPECT_EQ(observer.Raw(ValueId::CapabilityFlags), 0x00);
}

TEST_F(ReplyDispatcherTest, BatteryAndLightControlFields) {
  Short(0xB0, 0x80, 0x9E, 500);
  Short(0xB1, 0x80, 0, 14400);
  Short(0xB2, 0x80, 0, 13800);
  Short(0xB3, 0x80, 0, 11200);
  Short(0xB4, 0x80, 0, 12500);
  Short(0xB5, 0, 0, 0xBEEF);
  EXPECT_EQ(block.SCDelay(), 0x9E);
  EXPECT_EQ(block.SCV(), 500);
  EXPECT_EQ(block.BattOVP(), 14400);
  EXPECT_EQ(block.BattFCV(), 13800);
  EXPECT_EQ(block.BattUVP(), 11200);
  EXPECT_EQ(block.BattUVR(), 12500);
  EXPECT_EQ(block.BattReserved(), 0xBEEF);
}

TEST_F(ReplyDispatcherTest, ChannelRepliesAddressGroupChannelAndSegment) {
  Short(0xB8, ChannelIndex(1), 0, 12000);
  Short(0xB9, ChannelIndex(1, 0, true), 0, 3500);  // a write's echo carries bit 7
  Short(0xBA, ChannelIndex(3, 11), 0x81, 0);
  Short(0xBB, ChannelIndex(1), 80, SegmentWord(4, 1000));
  Short(0xBC, ChannelIndex(0), 20, SegmentWord(2, 0x0FFF));
  EXPECT_EQ(block.Channel(0, 1).CV(), 12000);
  EXPECT_EQ(block.Channel(0, 1).CC(), 3500);
  EXPECT_EQ(block.Channel(11, 3).Mode(), 0x81);
  EXPECT_EQ(block.Channel(0, 1).Timing(4).Minutes(), 1000);
  EXPECT_EQ(block.Channel(0, 1).Timing(4).Power(), 80);
  EXPECT_EQ(block.Channel(0, 0).Timing2(2).Minutes(), 0x0FFF);
  EXPECT_EQ(block.Channel(0, 0).Timing2(2).Power(), 20);
  EXPECT_EQ(block.Channel(0, 0).Timing(2).Minutes(), 0);
}

TEST_F(ReplyDispatcherTest, ChannelRepliesOutsideTheTableAreDiscarded) {
  const TCONFIG_BLOCK before = block;
  Short(0xB8, 0x0C, 0, 1);                   // group 12
  Short(0xB9, 0x4F, 0, 1);                   // channel 4, group 15
  Short(0xBA, 0x70, 1, 0);                   // channel 7
  Short(0xBB, 0x00, 1, SegmentWord(5, 10));  // segment 5
  Short(0xBC, 0x00, 1, 0xF00A);              // segment 15
  EXPECT_EQ(block, before);
}

TEST_F(ReplyDispatcherTest, ModelTextEndsAtTheFirstZeroByte) {
  entry.Model = "old";
  Long(0xF0, {});
  EXPECT_EQ(entry.Model, "");
  Long(0xF0, {0x41, 0x42, 0x00, 0x43});
  EXPECT_EQ(entry.Model, "AB");
  Long(0xF0, std::vector<uint8_t>(25, 'x'));
  EXPECT_EQ(entry.Model, std::string(25, 'x'));
}

// A short frame with code 0xF0 whose length byte claims more data than the frame holds
// must not read past it.
TEST_F(ReplyDispatcherTest, ModelReplyWithWrongLengthIsDiscarded) {
  entry.Model = "kept";
  Short(0xF0, 200, 'A', 0x4243);
  EXPECT_EQ(entry.Model, "kept");
}

TEST_F(ReplyDispatcherTest, UnknownAndMemoryReadRepliesHaveNoEffect) {
  const TCONFIG_BLOCK before = block;
  Short(0x00, 1, 2, 3);
  Short(0xC4, 1, 2, 3);
  Short(0x01, 1, 2, 3);  // a request echoed back, not a reply
  Long(0xFE, {1, 2, 3, 4, 5, 6, 7, 8});
  Long(0xF3, {1});
  EXPECT_EQ(block, before);
  EXPECT_TRUE(observer.Values().empty());
}

TEST_F(ReplyDispatcherTest, StatusImageReplyClearsTheRunningState) {
  Short(0x8F, 0, 0, 0);
  EXPECT_EQ(observer.RunningStateClears(), 1);
  EXPECT_TRUE(observer.Values().empty());
}

TEST_F(ReplyDispatcherTest, TruncatedFramesAreIgnored) {
  const auto bytes = EncodeFrame(0, 0x91, 0, 0, 1000);
  DispatchReply(std::span<const uint8_t>(bytes.data(), 5), block, &entry, observer);
  DispatchReply(std::span<const uint8_t>(bytes.data(), 0), block, &entry, observer);
  EXPECT_TRUE(observer.Values().empty());
}

}  // namespace
}  // namespace lum
