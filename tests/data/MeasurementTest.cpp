#include <gtest/gtest.h>

#include <set>
#include <string>

#include "data/Measurement.h"

namespace lum {
namespace {

std::string Text(ValueId id, int64_t raw, Decimals decimals = Decimals::OfUnit) {
  return FormatValue(MakeMeasurement(id, raw), decimals);
}

TEST(MeasurementTest, PowerOnTimeShowsHoursMinutesSeconds) {
  EXPECT_EQ(Text(ValueId::PowerOnTime, 125 * 60 + 7), "2:05:07");
  EXPECT_EQ(Text(ValueId::PowerOnTime, 61 * 60 + 5), "1:01:05");
  EXPECT_EQ(Text(ValueId::PowerOnTime, 0), "0:00:00");
  EXPECT_EQ(Text(ValueId::PowerOnTime, 65535 * 60 + 59), "1092:15:59");
}

TEST(MeasurementTest, VoltagesAndCurrentsShowTheDecimalsOfTheirUnit) {
  EXPECT_EQ(Text(ValueId::BatteryVoltage, 12340), "12.340 V");
  EXPECT_EQ(Text(ValueId::Load1Voltage, 5), "0.005 V");
  EXPECT_EQ(Text(ValueId::Load1Current, 1500), "1.500 A");
  EXPECT_EQ(Text(ValueId::DCInVoltage, 65535), "65.535 V");
  EXPECT_EQ(Text(ValueId::SolarVoltage, 1805), "18.05 V");
  EXPECT_EQ(Text(ValueId::SolarVoltage, 1805, Decimals::Two), "18.05 V");
  EXPECT_EQ(Text(ValueId::Temperature, 31), "31");
}

// The real-time page shows millivolts and milliamperes rounded to two decimals, not cut.
TEST(MeasurementTest, TwoDecimalsAreRoundedHalfUp) {
  EXPECT_EQ(Text(ValueId::BatteryVoltage, 12340, Decimals::Two), "12.34 V");
  EXPECT_EQ(Text(ValueId::BatteryVoltage, 12345, Decimals::Two), "12.35 V");
  EXPECT_EQ(Text(ValueId::BatteryVoltage, 12344, Decimals::Two), "12.34 V");
  EXPECT_EQ(Text(ValueId::Load1Current, 9995, Decimals::Two), "10.00 A");
  EXPECT_EQ(Text(ValueId::Load1Current, 65535, Decimals::Two), "65.54 A");
  EXPECT_EQ(Text(ValueId::BatteryVoltage, 4, Decimals::Two), "0.00 V");
}

TEST(MeasurementTest, NumbersLeaveTheUnitOut) {
  EXPECT_EQ(FormatNumber(MakeMeasurement(ValueId::BatteryVoltage, 12345), Decimals::Two), "12.35");
  EXPECT_EQ(FormatNumber(MakeMeasurement(ValueId::Load1Current, 800)), "0.800");
  EXPECT_EQ(FormatNumber(MakeMeasurement(ValueId::PowerOnTime, 3600)), "1:00:00");
}

TEST(MeasurementTest, CountsAndCodes) {
  EXPECT_EQ(Text(ValueId::Load1ARefOffset, -1), "-1");
  EXPECT_EQ(Text(ValueId::BattVRef, 12340), "12340");
  EXPECT_EQ(Text(ValueId::SerialNumber, 0x12345678), "1203430008");
  EXPECT_EQ(Text(ValueId::BatchCode, 0x1C0707E0), "28-07-2016");
  EXPECT_EQ(Text(ValueId::ProductID, 0x123450), "0x00123450");
}

TEST(MeasurementTest, KeysAreDistinct) {
  std::set<std::string> keys;
  for (int id = 0; id <= static_cast<int>(ValueId::BatchCode); ++id) keys.insert(ValueKey(static_cast<ValueId>(id)));
  EXPECT_EQ(keys.size(), static_cast<size_t>(ValueId::BatchCode) + 1);
  EXPECT_STREQ(ValueKey(ValueId::BatteryVoltage), "battery_v");
}

}  // namespace
}  // namespace lum
