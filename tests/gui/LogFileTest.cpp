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

TEST(ComposeLogTest, FirstRunStartsWithTheRunAndLaterRunsFollowAnEmptyLine) {
  EXPECT_EQ(ComposeLog(std::nullopt, {"a", "b"}), "a\r\nb\r\n");
  EXPECT_EQ(ComposeLog(std::string("a\r\nb\r\n"), {"c"}), "a\r\nb\r\n\r\nc\r\n");
  EXPECT_EQ(ComposeLog(std::string("a\nb"), {"c"}), "a\r\nb\r\n\r\nc\r\n");
  EXPECT_EQ(ComposeLog(std::string(), {"c"}), "\r\nc\r\n");
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

}  // namespace
}  // namespace lum::test
