#include <gtest/gtest.h>

#include <set>

#include "sim/Measurements.h"

namespace lum::sim {
namespace {

TEST(SimMeasurements, PowerOnTimeCountsRealSecondsInMinutesAndSeconds) {
  MeasurementSpec spec;
  spec.powerOnSeconds = 61 * 60 + 5;
  const Measurements start = MeasurementsAt(spec, 0);
  EXPECT_EQ(start.powerOnMinutes, 61);
  EXPECT_EQ(start.powerOnSeconds, 5);
  const Measurements later = MeasurementsAt(spec, 56'999);  // 56.999 s: whole seconds only
  EXPECT_EQ(later.powerOnMinutes, 62);
  EXPECT_EQ(later.powerOnSeconds, 1);
  spec.powerOnSeconds = 65535u * 60 + 59;  // the minute counter is 16 bits on the line
  EXPECT_EQ(MeasurementsAt(spec, 1000).powerOnMinutes, 0);
}

TEST(SimMeasurements, ValuesDriftWithinBoundsAndRepeat) {
  MeasurementSpec spec;
  std::set<uint16_t> battery;
  for (uint64_t s = 0; s < 600; s += 7) {
    const Measurements m = MeasurementsAt(spec, s * 1000);
    battery.insert(m.batteryMv);
    EXPECT_GE(m.batteryMv, spec.batteryMv);
    EXPECT_LE(m.batteryMv, spec.batteryMv + 300);
    EXPECT_GE(m.solar10Mv, spec.solar10Mv);
    EXPECT_LE(m.solar10Mv, spec.solar10Mv + 150);
    EXPECT_GE(m.load1Ma, spec.load1Ma);
  }
  EXPECT_GT(battery.size(), 10u);

  spec.batteryMv = 65500;  // near the top of 16 bits: held there, never wrapped
  EXPECT_EQ(MeasurementsAt(spec, 60'000).batteryMv, 65535);
}

}  // namespace
}  // namespace lum::sim
