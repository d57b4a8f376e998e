#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/Lumctl.h"
#include "data/Backups.h"

namespace lum {
namespace {

using Clock = std::chrono::system_clock;
const Clock::time_point kTime = Clock::from_time_t(1796688930);  // 2026-12-08 00:15:30 UTC

TEST_F(Lumctl, BackupsListsNewestFirstAndPrunesOnlyWhenAsked) {
  WriteRaw("LUM.INI", "[Ports]\r\n");  // a portable folder: the data lie beside LUM.INI
  const std::string a1 = SaveBackup(dir_.string(), 1, DualChannelBlock(), kTime);
  const std::string a2 = SaveBackup(dir_.string(), 1, DualChannelBlock(), kTime + std::chrono::hours(2));
  const std::string b1 = SaveBackup(dir_.string(), 2, DualChannelBlock(), kTime + std::chrono::hours(1));

  const Outcome all = Run("backups");
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, "2026-12-08 02:15:30 UTC\t0000000001\t" + a2 + "\n" +      //
                         "2026-12-08 01:15:30 UTC\t0000000002\t" + b1 + "\n" +  //
                         "2026-12-08 00:15:30 UTC\t0000000001\t" + a1 + "\n");
  EXPECT_EQ(Run("backups --serial 0000000002").out, "2026-12-08 01:15:30 UTC\t0000000002\t" + b1 + "\n");

  const Outcome pruned = Run("backups prune --keep 1");
  ASSERT_EQ(pruned.status, 0) << pruned.err;
  EXPECT_EQ(pruned.out, "Removed " + a1 + "\n");
  EXPECT_TRUE(std::filesystem::exists(a2));
  EXPECT_TRUE(std::filesystem::exists(b1));
  EXPECT_EQ(Run("backups prune").status, 2);  // how many to keep is never guessed
  EXPECT_TRUE(std::filesystem::exists(a2));
}

TEST_F(Lumctl, BackupsJsonHasOneObjectPerBackup) {
  WriteRaw("LUM.INI", "[Ports]\r\n");
  const std::string a1 = SaveBackup(dir_.string(), 1, DualChannelBlock(), kTime);
  const std::string b1 = SaveBackup(dir_.string(), 2, DualChannelBlock(), kTime + std::chrono::hours(1));

  const Outcome listed = Run("backups --json");

  ASSERT_EQ(listed.status, 0) << listed.err;
  const std::string newest = listed.out.substr(0, listed.out.find('\n'));
  EXPECT_EQ(nlohmann::json::parse(newest),
            nlohmann::json({{"time", "2026-12-08 01:15:30 UTC"}, {"serial_number", "0000000002"}, {"path", b1}}));
  const std::string oldest = listed.out.substr(newest.size() + 1);
  EXPECT_EQ(nlohmann::json::parse(oldest)["path"], a1);
}

}  // namespace
}  // namespace lum
