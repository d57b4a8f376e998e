// The thresholds a settings section sets: keys in any letter case, ranges kept, whole counts,
// and every garbled value refused with the key named.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "nights/ThresholdSettings.h"

namespace lum::nights {
namespace {

std::string RefusalOf(const SettingEntries& entries) {
  try {
    ApplyThresholdEntries(Thresholds{}, entries, kThresholdSection);
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "";
}

TEST(ThresholdSettingsTest, EntriesSetTheirThresholdsAndLeaveTheOthers) {
  Thresholds base;
  base.fadingNights = 9;
  const Thresholds t = ApplyThresholdEntries(
      base, {{"cutcriticalnights", "5"}, {"LitLongerMinutes", "0"}, {"FadingVoltsPerNight", "0.05"}}, "Nights");
  EXPECT_EQ(t.cutShortCriticalRun, 5);
  EXPECT_DOUBLE_EQ(t.litLongerMinutes, 0);
  EXPECT_DOUBLE_EQ(t.fadingVoltsPerNight, 0.05);
  EXPECT_EQ(t.fadingNights, 9) << "a key left out keeps the value before it";
  EXPECT_DOUBLE_EQ(t.noDataHours, Thresholds{}.noDataHours);
  EXPECT_EQ(ControllerThresholdSection("0A00000066"), "Nights 0A00000066");
}

TEST(ThresholdSettingsTest, GarbledOrOutOfRangeValuesAreRefusedNamingTheKey) {
  EXPECT_EQ(RefusalOf({{"CutCriticalNights", "2.5"}}),
            "[Nights] CutCriticalNights: '2.5' is not a whole number from 1 to 366");
  EXPECT_EQ(RefusalOf({{"NoDataHours", "0"}}), "[Nights] NoDataHours: '0' is not a number above 0 up to 8784");
  EXPECT_EQ(RefusalOf({{"LitLongerMinutes", "-1"}}), "[Nights] LitLongerMinutes: '-1' is not a number from 0 to 1440");
  for (const char* bad : {"", "nan", "inf", "1e999", "3 hours", "0x10", "１"})
    EXPECT_NE(RefusalOf({{"NoDataHours", bad}}), "") << bad;
  EXPECT_NE(RefusalOf({{"FadingNights", "99999999999999999999"}}), "") << "never wraps into range";
  EXPECT_EQ(RefusalOf({{"FadingNights", "7"}, {"Colour", "red"}}).rfind("[Nights] Colour: not a threshold", 0), 0u);
}

}  // namespace
}  // namespace lum::nights
