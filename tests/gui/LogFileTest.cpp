#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LumLog.h"
#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

TEST(LogAdditionTest, FirstRunStartsWithTheRunAndLaterRunsFollowAnEmptyLine) {
  EXPECT_EQ(LogAddition({false, true}, {"a", "b"}), "a\r\nb\r\n");
  EXPECT_EQ(LogAddition({true, true}, {"c"}), "\r\nc\r\n");       // after "a\r\nb\r\n", or an empty log
  EXPECT_EQ(LogAddition({true, false}, {"c"}), "\r\n\r\nc\r\n");  // after "a\nb": b's line is ended first
}

using LogFileTest = WindowFixture;

TEST_F(LogFileTest, ClosingAppendsTheInformationPanelToTheLog) {
  const auto log = std::filesystem::path(Dir()) / "LUM.LOG";
  {
    TFormLUM& window = CreateShown();
    window.close();
  }
  const std::string first = ReadFile(log);
  EXPECT_EQ(first.rfind("================ Lum Started at ", 0), 0u) << first;
  EXPECT_NE(first.find("Currently selected object is \"New File\""), std::string::npos);
  EXPECT_EQ(first.substr(first.size() - 2), "\r\n");
  EXPECT_EQ(first.find("\r\n\r\n"), std::string::npos);

  TFormLUM& second = CreateShown();
  second.ui().mmoInfo->appendPlainText(QStringLiteral("第二次"));
  second.close();
  const std::string both = ReadFile(log);
  ASSERT_EQ(both.rfind(first, 0), 0u);
  const std::string added = both.substr(first.size());
  EXPECT_EQ(added.rfind("\r\n================ Lum Started at ", 0), 0u) << added;
  EXPECT_NE(added.find("第二次\r\n"), std::string::npos);
}

TEST_F(LogFileTest, LogThatCannotBeWrittenIsReportedAndTheWindowStillCloses) {
  const auto log = std::filesystem::path(Dir()) / "LUM.LOG";
  std::filesystem::create_directory(log);  // neither readable as a file nor replaceable
  std::ofstream(log / "keep") << "old";
  TFormLUM& window = CreateShown();
  window.close();
  EXPECT_FALSE(window.isVisible());
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_TRUE(dialogs_.Errors().front().contains(QStringLiteral("LUM.LOG"))) << dialogs_.Errors().front().toStdString();
  EXPECT_EQ(ReadFile(log / "keep"), "old");
}

// The old log is never read or rewritten: its bytes stay exactly, whatever they are, and a
// log reached through a symbolic link is appended where the link points.
TEST_F(LogFileTest, ClosingAppendsInPlaceKeepingTheOldBytesAndTheLink) {
  const auto dir = std::filesystem::path(Dir());
  std::filesystem::create_directory(dir / "logs");
  const std::string old = "old run\n\xFF\xFE not UTF-8\r\nlast line without end";
  std::ofstream(dir / "logs" / "all.log", std::ios::binary) << old;
  std::filesystem::create_symlink("logs/all.log", dir / "LUM.LOG");
  TFormLUM& window = CreateShown();
  window.ui().mmoInfo->appendPlainText(QStringLiteral("本次"));
  window.close();
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "LUM.LOG"));
  const std::string log = ReadFile(dir / "logs" / "all.log");
  ASSERT_EQ(log.rfind(old + "\r\n\r\n================ Lum Started at ", 0), 0u) << log;
  EXPECT_EQ(log.substr(log.size() - 8), "本次\r\n");
}

TEST_F(LogFileTest, ReadOnlyLogIsReportedAndKept) {
  const auto log = std::filesystem::path(Dir()) / "LUM.LOG";
  std::ofstream(log) << "old\r\n";
  std::filesystem::permissions(log, std::filesystem::perms::owner_read);
  TFormLUM& window = CreateShown();
  window.close();
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors().front().toStdString(), "Cannot write " + log.string() + ": the file is read-only");
  EXPECT_EQ(ReadFile(log), "old\r\n");
}

}  // namespace
}  // namespace lum::test
