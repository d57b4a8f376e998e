#include <gtest/gtest.h>

#include <algorithm>

#include "data/Decimate.h"
#include "data/PollCsv.h"
#include "data/PollSample.h"

namespace lum {
namespace {

PollSample Sample(int64_t timeMs, int64_t batteryMv) {
  PollSample sample;
  sample.timeMs = timeMs;
  sample.raw[*PolledIndex(ValueId::BatteryVoltage)] = batteryMv;
  return sample;
}

TEST(PollSample, APollsValuesAreGatheredInTheirUnitsAndOnlyAnAnsweredPollBecomesASample) {
  PollAssembler assembler;
  EXPECT_FALSE(assembler.Finish(1000));  // nothing answered
  assembler.Add(MakeMeasurement(ValueId::BatteryVoltage, 12340));
  assembler.Add(MakeMeasurement(ValueId::SolarVoltage, 1805));
  assembler.Add(MakeMeasurement(ValueId::TempRef, 99));  // not a polled value
  assembler.Add(MakeMeasurement(ValueId::Load1Current, 100));
  assembler.Add(MakeMeasurement(ValueId::Load1Current, 1500));  // a late repeat wins
  const auto sample = assembler.Finish(2000);
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->timeMs, 2000);
  EXPECT_EQ(sample->Raw(ValueId::BatteryVoltage), 12340);
  EXPECT_FALSE(sample->Raw(ValueId::Temperature));
  EXPECT_FALSE(sample->Raw(ValueId::TempRef));
  EXPECT_DOUBLE_EQ(*sample->Natural(ValueId::BatteryVoltage), 12.34);
  EXPECT_DOUBLE_EQ(*sample->Natural(ValueId::SolarVoltage), 18.05);  // tens of millivolts
  EXPECT_DOUBLE_EQ(*sample->Natural(ValueId::Load1Current), 1.5);
  // The next poll starts empty.
  assembler.Add(MakeMeasurement(ValueId::Temperature, 31));
  const auto next = assembler.Finish(3000);
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->Raw(ValueId::BatteryVoltage));
  EXPECT_EQ(next->Natural(ValueId::Temperature), 31.0);
}

TEST(PollSample, CsvRowsCarryTheSerialTheUtcTimeAndEachNumberInItsUnit) {
  EXPECT_EQ(PollCsvHeader(), "serial,time,power_on,temperature,battery_v,solar_v,load1_v,load1_a");
  PollSample sample = Sample(1796688930123, 12340);  // 2026-12-08 00:15:30.123 UTC
  sample.raw[*PolledIndex(ValueId::PowerOnTime)] = 3665;
  sample.raw[*PolledIndex(ValueId::SolarVoltage)] = 1805;
  EXPECT_EQ(PollCsvRow("0A00000066", sample), "0A00000066,2026-12-08T00:15:30.123Z,1:01:05,,12.340,18.05,,");
}

TEST(Decimate, FewPointsAreKeptAllWithTheNeighboursJustOutsideTheRange) {
  std::vector<PollSample> samples;
  for (int i = 0; i < 10; ++i) samples.push_back(Sample(i * 1000, 12000 + i));
  samples[5].raw = {};  // a poll without a battery reply
  const auto points = DecimateMinMax(samples, ValueId::BatteryVoltage, 3000, 7000, 100);
  std::vector<double> times;
  for (const auto& p : points) times.push_back(p.x);
  EXPECT_EQ(times, (std::vector<double>{2000, 3000, 4000, 6000, 7000, 8000}));
  EXPECT_DOUBLE_EQ(points[1].y, 12.003);
  EXPECT_TRUE(DecimateMinMax(samples, ValueId::TempRef, 0, 9000, 10).empty());
  EXPECT_TRUE(DecimateMinMax({}, ValueId::BatteryVoltage, 0, 9000, 10).empty());
}

TEST(Decimate, ADayKeepsEachColumnsLowestAndHighestInTimeOrderSoNoPeakIsLost) {
  // A day at 1 Hz: a flat 12 V line with one spike up and, later in the same pixel, a dip.
  std::vector<PollSample> samples;
  for (int64_t t = 0; t < 86400; ++t) samples.push_back(Sample(t * 1000, 12000));
  samples[40000].raw[*PolledIndex(ValueId::BatteryVoltage)] = 14900;
  samples[40010].raw[*PolledIndex(ValueId::BatteryVoltage)] = 9100;
  samples.back().raw[*PolledIndex(ValueId::BatteryVoltage)] = 13000;  // the last poll of the last column
  const auto points = DecimateMinMax(samples, ValueId::BatteryVoltage, 0, 86399 * 1000, 800);
  EXPECT_LE(points.size(), 1600u);
  EXPECT_GE(points.size(), 800u);
  EXPECT_TRUE(
      std::is_sorted(points.begin(), points.end(), [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; }));
  const auto [lowest, highest] = std::minmax_element(points.begin(), points.end(),
                                                     [](const PlotPoint& a, const PlotPoint& b) { return a.y < b.y; });
  EXPECT_DOUBLE_EQ(highest->y, 14.9);
  EXPECT_DOUBLE_EQ(lowest->y, 9.1);
  EXPECT_EQ(highest + 1, lowest);  // one column: the earlier spike first
  EXPECT_DOUBLE_EQ(points.back().y, 13.0);
}

// Polls a second apart; three seconds without one is a gap.
constexpr int64_t kLongestGapMs = 3000;

// Polls that brought nothing break the line; a poll that lacks only this value does not.
TEST(Decimate, ALineBreaksWherePollsBroughtNothing) {
  std::vector<PollSample> samples;
  for (int i = 0; i < 12; ++i) samples.push_back(Sample(i * 1000, 12000 + i));
  for (const int silent : {4, 5, 9}) samples[static_cast<size_t>(silent)].raw = {};
  samples[2].raw[*PolledIndex(ValueId::BatteryVoltage)].reset();
  samples[2].raw[*PolledIndex(ValueId::SolarVoltage)] = 1805;

  const auto times = [](const std::vector<PlotPoint>& run) {
    std::vector<double> x;
    for (const PlotPoint& p : run) x.push_back(p.x);
    return x;
  };
  const auto runs = DecimateBrokenLine(samples, ValueId::BatteryVoltage, 0, 11000, 100, kLongestGapMs);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(times(runs[0]), (std::vector<double>{0, 1000, 3000}));
  EXPECT_EQ(times(runs[1]), (std::vector<double>{6000, 7000, 8000}));
  EXPECT_EQ(times(runs[2]), (std::vector<double>{10000, 11000}));

  // A view inside the second run: only that run, reaching its neighbours just outside.
  const auto inside = DecimateBrokenLine(samples, ValueId::BatteryVoltage, 6500, 7500, 100, kLongestGapMs);
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(times(inside[0]), (std::vector<double>{6000, 7000, 8000}));
  EXPECT_TRUE(DecimateBrokenLine(samples, ValueId::BatteryVoltage, 4000, 5000, 100, kLongestGapMs).empty());
  EXPECT_TRUE(DecimateBrokenLine({}, ValueId::BatteryVoltage, 0, 9000, 10, kLongestGapMs).empty());
}

// A recording keeps only the answered polls: where they lie further apart than a poll takes,
// the line breaks too; polls that are merely a little late do not break it.
TEST(Decimate, ALineBreaksWhereRecordedPollsLieTooFarApart) {
  std::vector<PollSample> samples;
  for (const int64_t ms : {0, 1000, 2400, 3400, 9400, 10400}) samples.push_back(Sample(ms, 12000));
  const auto runs = DecimateBrokenLine(samples, ValueId::BatteryVoltage, 0, 10400, 100, kLongestGapMs);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].back().x, 3400);
  EXPECT_EQ(runs[1].front().x, 9400);
}

}  // namespace
}  // namespace lum
