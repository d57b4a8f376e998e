#include "data/NightProfile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "data/PageRules.h"
#include "data/TypeTables.h"

namespace lum {

namespace {
constexpr int kMorningIndex = block_layout::kSegments - 1;
constexpr double kPercent = 100.0;
constexpr double kMinutesPerHour = 60.0;
constexpr double kMilli = 1000.0;
}  // namespace

ChannelSchedule ScheduleOf(ConstChannel channel) {
  ChannelSchedule schedule;
  schedule.mode = channel.Mode();
  schedule.ratedCurrentMa = channel.CC();
  for (int k = 0; k < block_layout::kSegments; ++k)
    schedule.segments[static_cast<size_t>(k)] = {channel.Timing(k).Minutes(), channel.Timing(k).Power()};
  return schedule;
}

bool HasMorningSegment(uint8_t mode) { return (mode & block_bits::kWorkModeMask) != 0; }

NightProfile ComputeNightProfile(const ChannelSchedule& schedule) {
  NightProfile profile;
  profile.workMode = schedule.mode & block_bits::kWorkModeMask;
  profile.loop = (schedule.mode & block_bits::kLoopMode) != 0;
  profile.hasMorning = HasMorningSegment(schedule.mode);
  profile.ratedCurrentMa = schedule.ratedCurrentMa;

  unsigned total = 0;
  for (const SegmentSetting& s : schedule.segments) total += s.minutes;
  profile.nightMinutes = std::max(kNominalNightMinutes, total);

  unsigned evening = 0;
  uint64_t milliampereMinutes = 0;  // × percent
  for (int k = 0; k < block_layout::kSegments; ++k) {
    const SegmentSetting& s = schedule.segments[static_cast<size_t>(k)];
    ProfileSegment segment;
    segment.number = k + 1;
    segment.minutes = s.minutes;
    segment.power = s.power;
    segment.morning = profile.hasMorning && k == kMorningIndex;
    segment.start = segment.morning ? profile.nightMinutes - s.minutes : evening;
    if (!segment.morning) evening += s.minutes;
    if (s.power > 0) profile.litMinutes += s.minutes;
    milliampereMinutes += uint64_t{schedule.ratedCurrentMa} * s.power * s.minutes;
    profile.segments.push_back(segment);
  }
  profile.ampereHours = static_cast<double>(milliampereMinutes) / kPercent / kMinutesPerHour / kMilli;
  return profile;
}

std::vector<ProfileSegment> NightTimeline(const NightProfile& profile) {
  std::vector<ProfileSegment> pieces;
  std::vector<ProfileSegment> ordered;
  for (const ProfileSegment& s : profile.segments)
    if (s.minutes > 0) ordered.push_back(s);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const ProfileSegment& a, const ProfileSegment& b) { return a.start < b.start; });
  unsigned time = 0;
  for (const ProfileSegment& s : ordered) {
    if (s.start > time) pieces.push_back({0, time, s.start - time, 0, false});
    pieces.push_back(s);
    time = s.start + s.minutes;
  }
  if (time < profile.nightMinutes) pieces.push_back({0, time, profile.nightMinutes - time, 0, false});
  return pieces;
}

std::vector<NightProfile> BlockNightProfiles(const TCONFIG_BLOCK& block) {
  const int channels = ChannelsOfRow(LookupProductID(block.ProductID()));
  std::vector<NightProfile> profiles;
  profiles.reserve(static_cast<size_t>(channels));
  for (int c = 0; c < channels; ++c) profiles.push_back(ComputeNightProfile(ScheduleOf(block.Channel(kPageGroup, c))));
  return profiles;
}

std::string FormatHoursMinutes(unsigned minutes) {
  return fmt::format("{}:{:02}", minutes / static_cast<unsigned>(kMinutesPerHour),
                     minutes % static_cast<unsigned>(kMinutesPerHour));
}

std::string FormatAmpereHours(double ampereHours) {
  // A small allowance keeps 5.1 from showing as 5.09 after the sums above.
  const double hundredths = std::floor(ampereHours * kPercent + 1e-6);
  return fmt::format("{:.2f}", hundredths / kPercent);
}

}  // namespace lum
