#include <gtest/gtest.h>

#include <filesystem>

#include "base/AtomicFile.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "data/NewFileBlock.h"
#include "data/TempDir.h"

namespace lum {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

// 2026-12-08 00:15:30 UTC
const Clock::time_point kTime = Clock::from_time_t(1796688930);
constexpr uint32_t kSerial = 0x0A000042;  // shown as 0A00000066

class Backups : public TempDir {
 protected:
  static TCONFIG_BLOCK Block(uint16_t ovp) {
    TCONFIG_BLOCK block = NewFileStartBlock();
    block.SetBattOVP(ovp);
    return block;
  }
};

TEST_F(Backups, ABackupIsAConfigurationFileNamedByTheControllersSerialAndTheUtcTime) {
  const std::string path = SaveBackup(dir_.string(), kSerial, Block(14100), kTime);
  EXPECT_EQ(fs::path(path), dir_ / "backups" / "0A00000066" / "20261208T001530Z.LUM");
  const ConfigFileResult opened = OpenConfigFile(path);
  ASSERT_EQ(opened.status, ConfigFileStatus::Ok);
  EXPECT_EQ(opened.block, Block(14100));
  EXPECT_EQ(FormatBackupTime(kTime), "2026-12-08 00:15:30 UTC");
}

TEST_F(Backups, BackupsOfTheSameSecondNeverReplaceEachOtherNorAnyFileThere) {
  const std::string first = SaveBackup(dir_.string(), kSerial, Block(14100), kTime);
  const std::string second = SaveBackup(dir_.string(), kSerial, Block(14200), kTime);
  const std::string third = SaveBackup(dir_.string(), kSerial, Block(14300), kTime);
  EXPECT_EQ(fs::path(second).filename(), "20261208T001530Z-2.LUM");
  EXPECT_EQ(fs::path(third).filename(), "20261208T001530Z-3.LUM");
  EXPECT_EQ(OpenConfigFile(first).block.BattOVP(), 14100);
  EXPECT_EQ(OpenConfigFile(second).block.BattOVP(), 14200);
  // Nothing else is left in the folder (no temporary files).
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(first).parent_path()), fs::directory_iterator()), 3);

  // Listed newest first, the later one of the same second before the earlier.
  const auto listed = ListBackups(dir_.string(), "0A00000066");
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].path, third);
  EXPECT_EQ(listed[2].path, first);
  EXPECT_EQ(listed[0].time, kTime);
}

TEST_F(Backups, ListingIgnoresForeignFilesAndCanBeLimitedToOneController) {
  SaveBackup(dir_.string(), kSerial, Block(14100), kTime);
  SaveBackup(dir_.string(), 7, Block(14100), kTime + std::chrono::hours(1));
  WriteRaw("backups/0A00000066/notes.txt", "x");
  fs::create_directories(dir_ / "backups" / "0A00000066" / "20261208T001530Z-x.LUM");
  WriteRaw("backups/0A00000066/20261308T001530.LUM", "x");
  WriteRaw("backups/stray.LUM", "x");

  const auto all = ListBackups(dir_.string());
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].serial, "0000000007");  // newer
  EXPECT_EQ(all[1].serial, "0A00000066");
  EXPECT_EQ(ListBackups(dir_.string(), "0000000007").size(), 1u);
  EXPECT_TRUE(ListBackups(dir_.string(), "0000000008").empty());
  EXPECT_TRUE(ListBackups((dir_ / "nothing-here").string()).empty());
}

TEST_F(Backups, PruningKeepsTheNewestOfEachControllerAndRemovesOnlyTheRest) {
  for (int i = 0; i < 4; ++i) SaveBackup(dir_.string(), kSerial, Block(14000), kTime + std::chrono::minutes(i));
  for (int i = 0; i < 2; ++i) SaveBackup(dir_.string(), 7, Block(14000), kTime + std::chrono::minutes(i));

  const auto removed = PruneBackups(dir_.string(), 1, "0A00000066");
  ASSERT_EQ(removed.size(), 3u);
  for (const auto& file : removed) EXPECT_FALSE(fs::exists(file.path));
  const auto left = ListBackups(dir_.string(), "0A00000066");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].time, kTime + std::chrono::minutes(3));
  EXPECT_EQ(ListBackups(dir_.string(), "0000000007").size(), 2u);  // another controller untouched

  EXPECT_EQ(PruneBackups(dir_.string(), 0).size(), 3u);
  EXPECT_TRUE(ListBackups(dir_.string()).empty());
}

TEST_F(Backups, LinksOutOfTheBackupsAreNeitherListedNorPruned) {
  // Files named like backups elsewhere, reached through a controller folder that is a link
  // and through a link named like a backup.
  const fs::path elsewhere = dir_ / "elsewhere";
  fs::create_directories(elsewhere);
  for (int i = 0; i < 3; ++i) WriteRaw("elsewhere/20261208T00153" + std::to_string(i) + "Z.LUM", "keep me");
  fs::create_directories(dir_ / "backups");
  fs::create_directory_symlink(elsewhere, dir_ / "backups" / "0000000007");
  SaveBackup(dir_.string(), kSerial, Block(14000), kTime);
  fs::create_symlink(elsewhere / "20261208T001530Z.LUM", dir_ / "backups" / "0A00000066" / "20261208T001531Z.LUM");

  const auto listed = ListBackups(dir_.string());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].serial, "0A00000066");
  EXPECT_EQ(listed[0].time, kTime);
  EXPECT_TRUE(PruneBackups(dir_.string(), 0, "0000000007").empty());
  EXPECT_EQ(PruneBackups(dir_.string(), 0).size(), 1u);
  EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 3);
}

TEST_F(Backups, AFolderThatCannotBeCreatedIsReportedWithItsPath) {
  WriteRaw("backups", "a file where the folder should be");
  try {
    SaveBackup(dir_.string(), kSerial, Block(14100), kTime);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("backups"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace lum
