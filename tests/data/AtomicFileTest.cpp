#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "base/AtomicFile.h"
#include "data/TempDir.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

using AtomicFileTest = TempDir;

TEST_F(AtomicFileTest, ReplacesContentAndLeavesNoTemporaryFile) {
  WriteFileAtomically(Path("f"), "old content");
  WriteFileAtomically(Path("f"), "new");
  EXPECT_EQ(ReadWholeFile(Path("f")), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, ReadStopsAtTheLimit) {
  WriteFileAtomically(Path("f"), std::string(5000, 'x'));
  EXPECT_EQ(ReadWholeFile(Path("f"), 1776).size(), 1776u);
  EXPECT_EQ(ReadWholeFile(Path("f")).size(), 5000u);
}

TEST_F(AtomicFileTest, KeepsTheModeOfAReplacedFile) {
  WriteFileAtomically(Path("f"), "a");
  fs::permissions(Path("f"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(Path("f"), "b");
  EXPECT_EQ(fs::status(Path("f")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicFileTest, TargetThatIsADirectoryFailsAndLeavesNothingBehind) {
  fs::create_directory(Path("d"));
  WriteRaw("d/inside", "kept");
  try {
    WriteFileAtomically(Path("d"), "x");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(Path("d")), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("Is a directory"), std::string::npos);
  }
  EXPECT_EQ(ReadWholeFile(Path("d/inside")), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, ReadOnlyDirectoryKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  WriteFileAtomically(Path("f"), "old");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(WriteFileAtomically(Path("f"), "new"), std::runtime_error);
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_EQ(ReadWholeFile(Path("f")), "old");
}

// A write cut short by the file size limit (as a full disk would) keeps the old file.
TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFile) {
  WriteFileAtomically(Path("f"), "old");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  try {
    WriteFileAtomically(Path("f"), std::string(4096, 'n'));
  } catch (const std::runtime_error& e) {
    threw = true;
    EXPECT_NE(std::string(e.what()).find("File too large"), std::string::npos) << e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(threw);
  EXPECT_EQ(ReadWholeFile(Path("f")), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace lum
