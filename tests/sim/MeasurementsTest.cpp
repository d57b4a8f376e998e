#include <gtest/gtest.h>

#include <set>

#include "sim/Measurements.h"

namespace lum::sim {
namespace {

TEST(SimMeasurements, PowerOnTimeCountsRealSecondsInMinutesAndSeconds) {
  MeasurementSetup setup;
  setup.powerOnSeconds = 61 * 60 + 5;
  const Measurements start = MeasurementsAt(setup, 0);
  EXPECT_EQ(start.powerOnMinutes, 61);
  EXPECT_EQ(start.powerOnSeconds, 5);
  const Measurements later = MeasurementsAt(setup, 56'999);  // 56.999 s: whole seconds only
  EXPECT_EQ(later.powerOnMinutes, 62);
  EXPECT_EQ(later.powerOnSeconds, 1);
  setup.powerOnSeconds = 65535u * 60 + 59;  // the minute counter is 16 bits on the line
  EXPECT_EQ(MeasurementsAt(setup, 1000).powerOnMinutes, 0);
}

TEST(SimMeasurements, ValuesDriftWithinBoundsAndRepeat) {
  MeasurementSetup setup;
  std::set<uint16_t> battery;
  for (uint64_t s = 0; s < 600; s += 7) {
    const Measurements m = MeasurementsAt(setup, s * 1000);
    battery.insert(m.batteryMv);
    EXPECT_GE(m.batteryMv, setup.batteryMv);
    EXPECT_LE(m.batteryMv, setup.batteryMv + 300);
    EXPECT_GE(m.solar10Mv, setup.solar10Mv);
    EXPECT_LE(m.solar10Mv, setup.solar10Mv + 150);
    EXPECT_GE(m.load1Ma, setup.load1Ma);
  }
  EXPECT_GT(battery.size(), 10u);

  setup.batteryMv = 65500;  // near the top of 16 bits: held there, never wrapped
  EXPECT_EQ(MeasurementsAt(setup, 60'000).batteryMv, 65535);
}

}  // namespace
}  // namespace lum::sim
