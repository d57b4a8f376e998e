#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <vector>

#include "base/AtomicFile.h"
#include "base/RegularFile.h"
#include "data/TempDir.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

using AtomicFileTest = TempDir;

constexpr uid_t kNobody = 65534;

TEST_F(AtomicFileTest, ReplacesContentAndLeavesNoTemporaryFile) {
  WriteFileAtomically(Path("f"), "old content");
  WriteFileAtomically(Path("f"), "new");
  EXPECT_EQ(ReadWholeFile(Path("f")), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, APrefixIsCutAtItsLengthButAWholeFileOverItsLimitIsRefused) {
  WriteFileAtomically(Path("f"), std::string(5000, 'x'));
  EXPECT_EQ(ReadFilePrefix(Path("f"), 1776).size(), 1776u);
  EXPECT_EQ(ReadFilePrefix(Path("f"), 9000).size(), 5000u);
  EXPECT_EQ(ReadWholeFile(Path("f")).size(), 5000u);
  EXPECT_EQ(ReadWholeFile(Path("f"), 5000).size(), 5000u);
  try {
    ReadWholeFile(Path("f"), 4999);
    FAIL() << "no error";
  } catch (const FileTooLarge& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read " + Path("f") + ": the file is too large, the limit is 4999 bytes");
  }
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
    EXPECT_NE(std::string(e.what()).find("it is a directory, not a regular file"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadWholeFile(Path("d/inside")), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
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

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const FileError& e) {
    return e.what();
  }
  return "no error";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(AtomicFileTest, SavingThroughSymbolicLinksReplacesTheTargetAndKeepsTheLinks) {
  fs::create_directory(Path("real"));
  WriteRaw("real/f", "old");
  fs::create_symlink("real/f", Path("link"));       // relative to the link's folder
  fs::create_symlink(Path("link"), Path("chain"));  // a link to a link
  WriteFileAtomically(Path("chain"), "new");
  EXPECT_TRUE(fs::is_symlink(Path("link")));
  EXPECT_TRUE(fs::is_symlink(Path("chain")));
  EXPECT_EQ(ReadWholeFile(Path("real/f")), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("real")), fs::directory_iterator()), 1);

  fs::create_symlink("real/made", Path("dangling"));
  WriteFileAtomically(Path("dangling"), "made");
  EXPECT_TRUE(fs::is_symlink(Path("dangling")));
  EXPECT_EQ(ReadWholeFile(Path("real/made")), "made");

  fs::create_symlink("loop", Path("loop"));
  EXPECT_TRUE(Contains(ErrorOf([&] { WriteFileAtomically(Path("loop"), "x"); }), "Too many levels of symbolic links"));
}

// Root may write any file, so the mode bits themselves must be checked.
TEST_F(AtomicFileTest, ReadOnlyFileIsRefusedAndKept) {
  WriteRaw("f", "old");
  fs::permissions(Path("f"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(Path("f"), "new"); }),
            "Cannot write " + Path("f") + ": the file is read-only");
  EXPECT_EQ(ErrorOf([&] { AppendToFile(Path("f"), [](AppendPoint) { return "new"; }); }),
            "Cannot write " + Path("f") + ": the file is read-only");
  EXPECT_EQ(ReadWholeFile(Path("f")), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// Root writes into any folder, so a folder's own rights are checked in a child process that runs as
// "nobody" when the test runs as root; `folder` is handed to that user. Returns the child's error
// text ("no error" when the action threw nothing).
std::string ErrorWithoutRootRights(const fs::path& folder, const std::function<void()>& action) {
  if (geteuid() == 0) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      EXPECT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
    EXPECT_EQ(lchown(folder.c_str(), kNobody, kNobody), 0) << folder;
  }
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_fds[0]);
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(1);
    const std::string error = ErrorOf(action);
    [[maybe_unused]] const ssize_t written = write(pipe_fds[1], error.data(), error.size());
    _exit(0);
  }
  close(pipe_fds[1]);
  std::string error;
  char buffer[256];
  for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof(buffer))) > 0;) error.append(buffer, static_cast<size_t>(n));
  close(pipe_fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not drop root's rights";
  return error;
}

TEST_F(AtomicFileTest, FolderWithoutRoomForATemporaryFileIsNamed) {
  fs::create_directory(Path("locked"));
  WriteRaw("locked/f", "old");
  fs::permissions(Path("locked/f"), fs::perms::all);
  fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(dir_, fs::perms::all);
  const std::string error =
      ErrorWithoutRootRights(Path("locked"), [&] { WriteFileAtomically(Path("locked/f"), "new"); });
  EXPECT_EQ(error, "Cannot write " + Path("locked/f") + ": the folder " + Path("locked") +
                       " is not writable (Permission denied)");
  EXPECT_EQ(ReadWholeFile(Path("locked/f")), "old");
  fs::permissions(Path("locked"), fs::perms::owner_all);
}

// The folder's owner may not write into it either: the old file stays whole.
TEST_F(AtomicFileTest, ReadOnlyDirectoryKeepsTheOldFile) {
  fs::create_directory(Path("mine"));
  WriteFileAtomically(Path("mine/f"), "old");
  fs::permissions(dir_, fs::perms::all);
  fs::permissions(Path("mine"), fs::perms::owner_read | fs::perms::owner_exec);
  const std::string error = ErrorWithoutRootRights(Path("mine"), [&] { WriteFileAtomically(Path("mine/f"), "new"); });
  EXPECT_TRUE(Contains(error, "Cannot write " + Path("mine/f"))) << error;
  fs::permissions(Path("mine"), fs::perms::owner_all);
  EXPECT_EQ(ReadWholeFile(Path("mine/f")), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("mine")), fs::directory_iterator()), 1)
      << "no temporary file left";
}

TEST_F(AtomicFileTest, AppendAddsOnlyTheNewBytesAndTellsWhereTheFileEnded) {
  std::vector<AppendPoint> seen;
  auto append = [&](const std::string& bytes) {
    AppendToFile(Path("log"), [&](AppendPoint end) {
      seen.push_back(end);
      return bytes;
    });
  };
  append("a\r\n");
  append("b");
  append("c\n");
  EXPECT_EQ(ReadWholeFile(Path("log")), "a\r\nbc\n");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_FALSE(seen[0].existed);
  EXPECT_TRUE(seen[0].atLineStart);
  EXPECT_TRUE(seen[1].existed);
  EXPECT_TRUE(seen[1].atLineStart);
  EXPECT_FALSE(seen[2].atLineStart);

  fs::create_symlink("log", Path("link"));
  AppendToFile(Path("link"), [](AppendPoint) { return "d"; });
  EXPECT_TRUE(fs::is_symlink(Path("link")));
  EXPECT_EQ(ReadWholeFile(Path("log")), "a\r\nbc\nd");
}

// An append cut short by the file size limit (as a full disk would) is taken back.
TEST_F(AtomicFileTest, FailedAppendLeavesTheFileAsItWas) {
  WriteRaw("log", "old");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error =
      ErrorOf([&] { AppendToFile(Path("log"), [](AppendPoint) { return std::string(4096, 'n'); }); });
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(Contains(error, "File too large")) << error;
  EXPECT_EQ(ReadWholeFile(Path("log")), "old");
}

TEST_F(AtomicFileTest, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0644), 0);
  fs::create_directory(Path("dir"));
  alarm(20);  // a read that blocks on the pipe ends the test instead of hanging it
  const std::string pipe = "it is a named pipe (FIFO), not a regular file";
  EXPECT_EQ(ErrorOf([&] { ReadWholeFile(Path("fifo")); }), "Cannot read " + Path("fifo") + ": " + pipe);
  EXPECT_EQ(ErrorOf([&] { ReadFilePrefix(Path("fifo"), 10); }), "Cannot read " + Path("fifo") + ": " + pipe);
  EXPECT_EQ(ErrorOf([&] { ReadWholeFile("/dev/null"); }),
            "Cannot read /dev/null: it is a character device, not a regular file");
  EXPECT_TRUE(Contains(ErrorOf([&] { ReadWholeFile(Path("dir")); }), "it is a directory, not a regular file"));
  EXPECT_TRUE(Contains(ErrorOf([&] { AppendToFile(Path("fifo"), [](AppendPoint) { return "x"; }); }),
                       "it is not a regular file"));
  EXPECT_TRUE(Contains(ErrorOf([&] { WriteFileAtomically(Path("fifo"), "x"); }), "it is not a regular file"));
  alarm(0);
  EXPECT_EQ(fs::status(Path("fifo")).type(), fs::file_type::fifo);
}

}  // namespace
}  // namespace lum
