#include <gtest/gtest.h>

#include "cli/Lumctl.h"
#include "data/ConfigFile.h"

namespace lum {
namespace {

// Channel c of group 0 with the given mode, rated current and (minutes, power) segments.
void SetChannel(TCONFIG_BLOCK& block, int c, uint8_t mode, uint16_t cc,
                std::initializer_list<std::pair<uint16_t, uint8_t>> segments) {
  auto channel = block.Channel(0, c);
  channel.SetMode(mode);
  channel.SetCC(cc);
  int k = 0;
  for (const auto& [minutes, power] : segments) {
    channel.Timing(k).SetMinutes(minutes);
    channel.Timing(k++).SetPower(power);
  }
}

// The lines of the output from the one starting with `first` up to (not including) the next
// line that starts without indentation after it.
std::string Section(const std::string& out, const std::string& first) {
  const size_t begin = out.find(first);
  if (begin == std::string::npos) return {};
  size_t end = out.find('\n', begin);
  while (end != std::string::npos && end + 1 < out.size() && out[end + 1] == ' ') end = out.find('\n', end + 1);
  return out.substr(begin, end == std::string::npos ? std::string::npos : end + 1 - begin);
}

TEST_F(Lumctl, ShowPrintsEachOutputsNightAsATimelineWithHoursAndEnergy) {
  TCONFIG_BLOCK block = DualChannelBlock();
  SetChannel(block, 0, 1, 1500, {{120, 100}, {180, 70}, {0, 0}, {0, 0}, {90, 40}});
  SetChannel(block, 1, 0x80, 2000, {{60, 100}, {60, 0}, {0, 0}, {0, 0}, {30, 50}});
  SaveConfigFile(Path("a.LUM"), block);
  const Outcome shown = Run("show a.LUM");
  ASSERT_EQ(shown.status, 0) << shown.err;

  // On at night: the morning segment ends at dawn, the dark stretch before it is "off".
  EXPECT_EQ(Section(shown.out, "  Night from dusk"),
            "  Night from dusk (12:00 h to dawn):\n"
            "    0:00-2:00 segment 1, power 100 %\n"
            "    2:00-5:00 segment 2, power 70 %\n"
            "    5:00-10:30 off\n"
            "    10:30-12:00 morning light, segment 5, power 40 %\n"
            "  Lit 6:30 h per night, energy 7.05 Ah (rated current 1.50 A x power x hours)\n")
      << shown.out;

  // Always on (looped): no morning segment, the fifth follows the second; a power-0 segment
  // is placed but not lit.
  const std::string second = Section(shown.out.substr(shown.out.find("第 2 路")), "  Night from dusk");
  EXPECT_EQ(second,
            "  Night from dusk (12:00 h to dawn):\n"
            "    0:00-1:00 segment 1, power 100 %\n"
            "    1:00-2:00 segment 2, off\n"
            "    2:00-2:30 segment 5, power 50 %\n"
            "    2:30-12:00 off\n"
            "  Lit 1:30 h per night, energy 2.50 Ah (rated current 2.00 A x power x hours)\n")
      << shown.out;
}

TEST_F(Lumctl, ShowGivesTheOnByDayModeItsMorningSegmentAndAnUnknownTypeNoProfile) {
  TCONFIG_BLOCK block = DualChannelBlock();
  SetChannel(block, 0, 2, 0, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {720, 100}});
  SetChannel(block, 1, 1, 0, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
  SaveConfigFile(Path("day.LUM"), block);
  const Outcome day = Run("show day.LUM");
  ASSERT_EQ(day.status, 0) << day.err;
  EXPECT_TRUE(Contains(day.out,
                       "  Night from dusk (12:00 h to dawn):\n"
                       "    0:00-12:00 morning light, segment 5, power 100 %\n"
                       "  Lit 12:00 h per night, energy 0.00 Ah (rated current 0.00 A x power x hours)\n"))
      << day.out;
  // An output without any segment is dark all night.
  EXPECT_TRUE(Contains(day.out, "    0:00-12:00 off\n  Lit 0:00 h per night")) << day.out;

  block.SetProductID(0x515600);
  SaveConfigFile(Path("unknown.LUM"), block);
  const Outcome unknown = Run("show unknown.LUM");
  ASSERT_EQ(unknown.status, 0) << unknown.err;
  EXPECT_FALSE(Contains(unknown.out, "Night from dusk")) << unknown.out;
}

}  // namespace
}  // namespace lum
