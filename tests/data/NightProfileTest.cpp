#include <gtest/gtest.h>

#include "data/NewFileBlock.h"
#include "data/NightProfile.h"

namespace lum {
namespace {

ChannelSchedule Schedule(uint8_t mode, uint16_t ratedMa, std::array<SegmentSetting, 5> segments) {
  ChannelSchedule schedule;
  schedule.mode = mode;
  schedule.ratedCurrentMa = ratedMa;
  schedule.segments = segments;
  return schedule;
}

struct Piece {
  int number;
  unsigned start;
  unsigned minutes;
  unsigned power;
  bool morning;
  bool operator==(const Piece&) const = default;
};

std::vector<Piece> Pieces(const std::vector<ProfileSegment>& timeline) {
  std::vector<Piece> pieces;
  for (const auto& s : timeline) pieces.push_back({s.number, s.start, s.minutes, s.power, s.morning});
  return pieces;
}

TEST(NightProfile, OnAtNightRunsTheEveningFromDuskAndTheMorningSegmentUpToDawn) {
  const NightProfile profile =
      ComputeNightProfile(Schedule(1, 1500, {{{120, 100}, {180, 70}, {0, 50}, {0, 0}, {90, 40}}}));
  EXPECT_TRUE(profile.hasMorning);
  EXPECT_EQ(profile.nightMinutes, 720u);
  EXPECT_EQ(Pieces(NightTimeline(profile)),
            (std::vector<Piece>{
                {1, 0, 120, 100, false}, {2, 120, 180, 70, false}, {0, 300, 330, 0, false}, {5, 630, 90, 40, true}}));
  EXPECT_EQ(profile.litMinutes, 390u);
  // 1.5 A × (1.0 × 2 h + 0.7 × 3 h + 0.4 × 1.5 h)
  EXPECT_DOUBLE_EQ(profile.ampereHours, 7.05);
  EXPECT_EQ(FormatAmpereHours(profile.ampereHours), "7.05");
  EXPECT_EQ(FormatHoursMinutes(profile.litMinutes), "6:30");
}

TEST(NightProfile, AlwaysOnHasNoMorningSegmentSoTheFifthFollowsTheFourth) {
  const NightProfile profile =
      ComputeNightProfile(Schedule(0, 0, {{{60, 100}, {60, 80}, {60, 60}, {60, 0}, {60, 20}}}));
  EXPECT_FALSE(profile.hasMorning);
  EXPECT_EQ(profile.segments[4].start, 240u);
  EXPECT_FALSE(profile.segments[4].morning);
  // A segment at power 0 is dark and not counted as lit; without a rated current no energy.
  EXPECT_EQ(profile.litMinutes, 240u);
  EXPECT_EQ(profile.ampereHours, 0.0);
  EXPECT_EQ(NightTimeline(profile).back().number, 0);
}

TEST(NightProfile, LoopBitAndUnlistedModesFollowTheMorningRuleOfTheWorkModeIndex) {
  const NightProfile byDayLooped = ComputeNightProfile(Schedule(0x82, 0, {{{10, 10}, {}, {}, {}, {20, 10}}}));
  EXPECT_EQ(byDayLooped.workMode, 2);
  EXPECT_TRUE(byDayLooped.loop);
  EXPECT_TRUE(byDayLooped.segments[4].morning);
  EXPECT_FALSE(ComputeNightProfile(Schedule(0x80, 0, {})).hasMorning);
  EXPECT_TRUE(ComputeNightProfile(Schedule(0x7E, 0, {})).hasMorning);
}

TEST(NightProfile, ANightLongerThanTwelveHoursStretchesSoTheMorningNeverOverlapsTheEvening) {
  const NightProfile profile =
      ComputeNightProfile(Schedule(1, 1000, {{{1000, 100}, {0, 0}, {0, 0}, {0, 0}, {1000, 50}}}));
  EXPECT_EQ(profile.nightMinutes, 2000u);
  EXPECT_EQ(Pieces(NightTimeline(profile)), (std::vector<Piece>{{1, 0, 1000, 100, false}, {5, 1000, 1000, 50, true}}));
  EXPECT_EQ(FormatHoursMinutes(profile.litMinutes), "33:20");
  EXPECT_EQ(FormatAmpereHours(profile.ampereHours), "25.00");  // 1 A × (16.67 h + 0.5 × 16.67 h)
}

TEST(NightProfile, EnergyIsTruncatedToHundredthsLikeThePagesNumbers) {
  // 0.333 A × 1 h = 0.333 Ah
  EXPECT_EQ(FormatAmpereHours(ComputeNightProfile(Schedule(1, 333, {{{60, 100}}})).ampereHours), "0.33");
  EXPECT_EQ(FormatAmpereHours(0.999), "0.99");
}

TEST(NightProfile, ABlockGivesOneProfilePerOutputOfItsDeviceTypeFromGroupZero) {
  TCONFIG_BLOCK block = NewFileStartBlock();
  EXPECT_TRUE(BlockNightProfiles(block).empty());  // no device type chosen
  block.SetProductID(0x515620);                    // two outputs
  block.Channel(0, 0).Timing(0).SetMinutes(30);
  block.Channel(0, 0).Timing(0).SetPower(100);
  block.Channel(0, 1).SetMode(0);
  block.Channel(0, 1).SetCC(2000);
  block.Channel(0, 1).Timing(4).SetMinutes(45);
  block.Channel(0, 1).Timing(4).SetPower(50);
  block.Channel(0, 2).Timing(0).SetMinutes(99);   // beyond the device type's outputs
  block.Channel(1, 0).Timing(0).SetMinutes(77);   // another group
  block.Channel(0, 0).Timing2(0).SetMinutes(55);  // the second table is not the night's
  const auto profiles = BlockNightProfiles(block);
  ASSERT_EQ(profiles.size(), 2u);
  EXPECT_EQ(profiles[0].workMode, 1);  // the new block's mode byte
  EXPECT_EQ(profiles[0].litMinutes, 30u);
  EXPECT_FALSE(profiles[1].hasMorning);
  EXPECT_EQ(profiles[1].ratedCurrentMa, 2000);
  EXPECT_EQ(FormatAmpereHours(profiles[1].ampereHours), "0.75");
}

}  // namespace
}  // namespace lum
