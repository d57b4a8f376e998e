#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"

namespace lum {

/// One row of a channel's timing table: how long, and at which power level (percent).
struct SegmentSetting {
  uint16_t minutes = 0;
  uint8_t power = 0;
};

/// What decides an output's night: its Mode byte, rated current (mA) and five timing
/// segments, as the block or the load page holds them.
struct ChannelSchedule {
  uint8_t mode = 0;
  uint16_t ratedCurrentMa = 0;
  std::array<SegmentSetting, block_layout::kSegments> segments{};
};

/// A segment placed on the night's timeline.
struct ProfileSegment {
  int number = 0;      // 1..5, the timing grid's row; 0 for a dark stretch
  unsigned start = 0;  // minutes after dusk
  unsigned minutes = 0;
  unsigned power = 0;    // percent
  bool morning = false;  // the morning-light segment: it ends at dawn
};

/// An output's night from dusk to dawn: the evening segments run one after the other from
/// dusk; the morning segment, where the work mode has one, ends at dawn. The night is taken
/// as 12 hours, longer when the segments need more.
struct NightProfile {
  int workMode = 0;   // bits 0-6 of Mode
  bool loop = false;  // bit 7 of Mode
  bool hasMorning = false;
  unsigned nightMinutes = 0;
  std::vector<ProfileSegment> segments;  // the five segments in grid order
  unsigned litMinutes = 0;               // segments with a power level above 0
  uint16_t ratedCurrentMa = 0;
  /// Rated current × power level × hours, summed over the segments.
  double ampereHours = 0;
};

inline constexpr unsigned kNominalNightMinutes = 12 * 60;

/// The schedule in a channel record (its Timing table, not Timing2).
ChannelSchedule ScheduleOf(ConstChannel channel);

/// The fifth segment lights the morning whenever the work mode index is not 0.
bool HasMorningSegment(uint8_t mode);

NightProfile ComputeNightProfile(const ChannelSchedule& schedule);

/// The night in time order from dusk to dawn: the segments that last a minute or more, and
/// the dark stretches between them as pieces with number 0 and power 0.
std::vector<ProfileSegment> NightTimeline(const NightProfile& profile);

/// One profile per output of the block's device type (group 0); none for an unknown type.
std::vector<NightProfile> BlockNightProfiles(const TCONFIG_BLOCK& block);

/// "H:MM", for a duration or a time after dusk.
std::string FormatHoursMinutes(unsigned minutes);
/// Ampere-hours with two decimals, truncated like the pages' numbers: "5.10".
std::string FormatAmpereHours(double ampereHours);

}  // namespace lum
