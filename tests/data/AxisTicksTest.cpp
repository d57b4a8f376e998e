#include <gtest/gtest.h>

#include "data/AxisTicks.h"

namespace lum {
namespace {

constexpr int64_t kMinute = 60 * 1000;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDecember8 = 1796688000000;  // 2026-12-08 00:00 UTC

// A view that starts at 05:59:13 is read on whole hours (06:00, 08:00, ...), never 05:59.
TEST(AxisTicks, TimeTicksFallOnWholeStepsOfTheClockShown) {
  const int64_t start = kDecember8 + 5 * kHour + 59 * kMinute + 13000;
  const TimeTicks sixHours = WholeTimeTicks(start, start + 6 * kHour, 0, 8);
  EXPECT_EQ(sixHours.stepMs, 2 * kHour);
  EXPECT_EQ(sixHours.firstMs, kDecember8 + 4 * kHour);
  EXPECT_EQ(sixHours.lastMs, kDecember8 + 12 * kHour);
  EXPECT_EQ(sixHours.count, 5);

  const TimeTicks tenMinutes = WholeTimeTicks(start, start + 10 * kMinute, 0, 8);
  EXPECT_EQ(tenMinutes.stepMs, 2 * kMinute);
  EXPECT_EQ(tenMinutes.firstMs % tenMinutes.stepMs, 0);
  EXPECT_LE(tenMinutes.count, 8);
  EXPECT_LE(tenMinutes.firstMs, start);
  EXPECT_GE(tenMinutes.lastMs, start + 10 * kMinute);

  // Whole hours where they are read: UTC+05:30 puts them on the half hour of UTC.
  const int64_t india = 5 * kHour + 30 * kMinute;
  const TimeTicks local = WholeTimeTicks(start, start + 6 * kHour, india, 8);
  EXPECT_EQ((local.firstMs + india) % local.stepMs, 0);
  // A week still fits the ticks allowed.
  EXPECT_LE(WholeTimeTicks(start, start + 7 * 24 * kHour, 0, 8).count, 8);
}

TEST(AxisTicks, LabelsCarryTheDecimalsTheirStepNeeds) {
  EXPECT_EQ(LabelDecimals(5), 0);
  EXPECT_EQ(LabelDecimals(1), 0);
  EXPECT_EQ(LabelDecimals(0.5), 1);
  EXPECT_EQ(LabelDecimals(0.1), 1);
  EXPECT_EQ(LabelDecimals(0.02), 2);
}

}  // namespace
}  // namespace lum
