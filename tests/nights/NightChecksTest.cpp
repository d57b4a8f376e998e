// Nights and alarms read from simulated weeks recorded in a real SQLite file: a dead lamp,
// a cloudy spell, an ageing battery, a broken panel, a gap in the recording, silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "data/TempDir.h"
#include "nights/NightChecks.h"
#include "nights/NightFinder.h"
#include "nights/SimulatedNights.h"

namespace lum::nights {
namespace {

class NightChecksTest : public TempDir {
 protected:
  std::vector<Night> NightsOf(const sim::SunWorldSetup& setup, const Simulated& simulated) {
    return FindNights(ThroughDatabase(Path("recordings.db"), simulated.polls), RulesOf(setup));
  }
  static std::vector<Alarm> Of(const std::vector<Alarm>& alarms, AlarmKind kind) {
    std::vector<Alarm> found;
    std::copy_if(alarms.begin(), alarms.end(), std::back_inserter(found),
                 [kind](const Alarm& a) { return a.kind == kind; });
    return found;
  }
  static std::vector<Alarm> Check(const std::vector<Night>& nights, const sim::SunWorldSetup& setup,
                                  const Simulated& simulated) {
    const int64_t last = simulated.polls.back().timeMs;
    return CheckNights(nights, setup.profile, Thresholds{}, last, last);
  }
};

TEST_F(NightChecksTest, SunnyWeekGivesEveryNightKnownLitOnItsProgrammeAndNoAlarm) {
  const sim::SunWorldSetup setup = ParisLamp();
  const Simulated simulated = Simulate(setup, 7);
  const std::vector<Night> nights = NightsOf(setup, simulated);
  ASSERT_EQ(nights.size(), simulated.dusks.size());
  ASSERT_EQ(nights.size(), 7u);
  for (size_t k = 0; k < nights.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_TRUE(nights[k].known);
    EXPECT_LE(std::llabs(nights[k].duskMs - simulated.dusks[k]), kMinuteMs);
    // An early-March night in Paris outlasts the programme's twelve hours: all of it is lit,
    // measured from polls a minute apart.
    const double nightMinutes = static_cast<double>(nights[k].dawnMs - nights[k].duskMs) / kMinuteMs;
    EXPECT_GT(nightMinutes, 12 * 60);
    EXPECT_LT(nightMinutes, 13 * 60);
    EXPECT_NEAR(nights[k].litMinutes, setup.profile.litMinutes, 2);
    EXPECT_NEAR(nights[k].ampereHours, setup.profile.ampereHours, 0.05);
    EXPECT_EQ(nights[k].offReason, OffReason::ProfileEnd);
    ASSERT_TRUE(nights[k].loadOnMs);
    EXPECT_LE(*nights[k].loadOnMs - nights[k].duskMs, 2 * kMinuteMs);
    EXPECT_NEAR(nights[k].meanCurrentA * nights[k].litMinutes / 60, nights[k].ampereHours, 1e-6);
    EXPECT_LE(nights[k].meanCurrentA, 1.5);
    EXPECT_TRUE(nights[k].solarRose);
    ASSERT_TRUE(nights[k].endBatteryV && nights[k].nextDayPeakV);
    EXPECT_GT(*nights[k].nextDayPeakV, *nights[k].endBatteryV) << "the day recharges";
  }
  EXPECT_TRUE(Check(nights, setup, simulated).empty());
}

TEST_F(NightChecksTest, DeadLampGivesDidNotLightForExactlyItsNights) {
  sim::SunWorldSetup setup = ParisLamp();
  setup.deadLampNights = {2, 3, 5};
  const Simulated simulated = Simulate(setup, 7);
  const std::vector<Night> nights = NightsOf(setup, simulated);
  ASSERT_EQ(nights.size(), simulated.dusks.size());
  for (size_t k = 0; k < nights.size(); ++k)
    EXPECT_EQ(nights[k].litMinutes == 0, setup.deadLampNights.contains(static_cast<int>(k))) << k;

  const std::vector<Alarm> dark = Of(Check(nights, setup, simulated), AlarmKind::DidNotLight);
  ASSERT_EQ(dark.size(), 2u);
  EXPECT_EQ(dark[0].firstNightMs, nights[2].duskMs);
  EXPECT_EQ(dark[0].lastNightMs, nights[3].duskMs);
  EXPECT_EQ(dark[0].nights, 2);
  EXPECT_EQ(dark[1].firstNightMs, nights[5].duskMs);
  EXPECT_EQ(dark[1].nights, 1);
  EXPECT_EQ(dark[1].severity, Severity::Critical);
  EXPECT_FALSE(dark[1].open) << "night 6 lit again";
}

TEST_F(NightChecksTest, CloudyWeekGivesCutShortFromTheNightTheBatteryFirstReachedTheCut) {
  sim::SunWorldSetup setup = ParisLamp();
  setup.cloudyDays = {2, 3, 4, 5, 6, 7};
  const Simulated simulated = Simulate(setup, 8);
  ASSERT_FALSE(simulated.cutNights.empty()) << "the spell must drain the simulated battery";
  const int firstCut = simulated.cutNights.front();
  ASSERT_GE(firstCut, 3) << "a full battery lasts the first cloudy nights";

  const std::vector<Night> nights = NightsOf(setup, simulated);
  const int found = NightNear(nights, simulated.dusks[static_cast<size_t>(firstCut)]);
  ASSERT_GE(found, 0);
  for (int k = 0; k < found; ++k) EXPECT_NE(nights[static_cast<size_t>(k)].offReason, OffReason::LowVoltage) << k;
  EXPECT_EQ(nights[static_cast<size_t>(found)].offReason, OffReason::LowVoltage);
  EXPECT_LT(nights[static_cast<size_t>(found)].litMinutes, setup.profile.litMinutes);

  const std::vector<Alarm> alarms = Check(nights, setup, simulated);
  const std::vector<Alarm> cut = Of(alarms, AlarmKind::CutShort);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].firstNightMs, nights[static_cast<size_t>(found)].duskMs);
  EXPECT_EQ(cut[0].nights, static_cast<int>(nights.size()) - found) << "every night from then on, in a row";
  EXPECT_EQ(cut[0].severity, Severity::Critical);
  EXPECT_TRUE(cut[0].open);
  EXPECT_TRUE(Of(alarms, AlarmKind::DidNotLight).empty()) << "nights kept off by the cut are not a dead lamp";
}

TEST_F(NightChecksTest, AgeingBatteryGivesBatteryFadingAndAHealthyOneDoesNot) {
  sim::SunWorldSetup setup = ParisLamp();
  setup.capacityLossPerDay = 1.5;
  const Simulated ageing = Simulate(setup, 9);
  const std::vector<Alarm> fading = Of(Check(NightsOf(setup, ageing), setup, ageing), AlarmKind::BatteryFading);
  ASSERT_EQ(fading.size(), 1u);
  EXPECT_LT(fading[0].value, -Thresholds{}.fadingVoltsPerNight);
  EXPECT_EQ(fading[0].nights, Thresholds{}.fadingNights);

  setup.capacityLossPerDay = 0;
  const Simulated healthy = Simulate(setup, 9);
  EXPECT_TRUE(Of(Check(FindNights(healthy.polls, RulesOf(setup)), setup, healthy), AlarmKind::BatteryFading).empty());
}

TEST_F(NightChecksTest, GapInRecordingMakesItsNightNotKnownAndNoAlarmIsGuessed) {
  const sim::SunWorldSetup setup = ParisLamp();
  // Polls missing from 19:00 on day 3 to 02:00 on day 4, the middle of the fourth night.
  const int64_t gapFrom = kStartMs + 3 * kDayMs + 7 * kHourMs;
  const Simulated simulated = Simulate(setup, 7, gapFrom, gapFrom + 7 * kHourMs);
  const std::vector<Night> nights = NightsOf(setup, simulated);
  ASSERT_EQ(nights.size(), 7u);
  for (size_t k = 0; k < nights.size(); ++k) EXPECT_EQ(nights[k].known, k != 3) << k;
  EXPECT_TRUE(Check(nights, setup, simulated).empty());

  // Three days without polls from noon hide whole nights: one not-known stretch stands for them.
  const Simulated away = Simulate(setup, 7, kStartMs + kDayMs, kStartMs + 4 * kDayMs);
  const std::vector<Night> around = FindNights(away.polls, RulesOf(setup));
  ASSERT_EQ(around.size(), 5u);
  EXPECT_TRUE(around[0].known);
  EXPECT_FALSE(around[1].known);
  EXPECT_TRUE(around[2].known && around[3].known && around[4].known);
}

TEST_F(NightChecksTest, BrokenPanelGivesSolarMissingAndSilenceGivesNoData) {
  sim::SunWorldSetup setup = ParisLamp();
  setup.brokenPanelFromDay = 3;
  const Simulated simulated = Simulate(setup, 7);
  const std::vector<Night> nights = NightsOf(setup, simulated);
  const int64_t last = simulated.polls.back().timeMs;
  const std::vector<Alarm> alarms = CheckNights(nights, setup.profile, Thresholds{}, last, last + 3 * kHourMs);
  const std::vector<Alarm> solar = Of(alarms, AlarmKind::SolarMissing);
  ASSERT_EQ(solar.size(), 1u);
  EXPECT_EQ(solar[0].severity, Severity::Critical);
  EXPECT_TRUE(solar[0].open);
  EXPECT_GE(solar[0].firstNightMs, kStartMs + 2 * kDayMs);
  const std::vector<Alarm> silent = Of(alarms, AlarmKind::NoData);
  ASSERT_EQ(silent.size(), 1u);
  EXPECT_NEAR(silent[0].value, 3.0, 1e-9);
  EXPECT_TRUE(Of(CheckNights(nights, setup.profile, Thresholds{}, last, last + kHourMs), AlarmKind::NoData).empty());
}

TEST_F(NightChecksTest, HostilePollsNeitherCrashNorInventNights) {
  const sim::SunWorldSetup setup = ParisLamp();
  std::vector<PollSample> polls = Simulate(setup, 2).polls;
  // Extreme raw numbers, polls without the solar value, repeats and polls out of order.
  constexpr auto kHuge = std::numeric_limits<int64_t>::max();
  polls[100].raw.fill(kHuge);
  polls[200].raw.fill(-kHuge);
  polls[300].raw = {};
  polls.insert(polls.begin() + 400, polls[399]);
  polls.insert(polls.begin() + 500, polls[10]);
  for (const std::vector<PollSample>& given : {polls, ThroughDatabase(Path("hostile.db"), polls)}) {
    const std::vector<Night> nights = FindNights(given, RulesOf(setup));
    ASSERT_EQ(nights.size(), 2u);
    for (const Night& night : nights) {
      EXPECT_TRUE(night.known);
      EXPECT_TRUE(std::isfinite(night.ampereHours));
      EXPECT_LT(night.dawnMs - night.duskMs, kDayMs);
    }
  }
  EXPECT_TRUE(FindNights({}, RulesOf(setup)).empty());
}

}  // namespace
}  // namespace lum::nights
