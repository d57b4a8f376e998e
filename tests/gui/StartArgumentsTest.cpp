#include <gtest/gtest.h>

#include <QIcon>

#include "ProgramShell.h"
#include "StartArguments.h"

namespace lum::test {
namespace {

using Kind = StartRequest::Kind;

TEST(StartArgumentsTest, HelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(ReadStartArguments({"--help"}).kind, Kind::Help);
  EXPECT_EQ(ReadStartArguments({"a.LUM", "-h"}).kind, Kind::Help);
  EXPECT_EQ(ReadStartArguments({"--bogus", "--version"}).kind, Kind::Version);
  EXPECT_NE(StartHelpText().find("--version"), std::string::npos);
}

TEST(StartArgumentsTest, OneFileOpensAtStartAnythingElseIsRefused) {
  EXPECT_EQ(ReadStartArguments({}).kind, Kind::Run);
  EXPECT_EQ(ReadStartArguments({}).file, "");
  const StartRequest one = ReadStartArguments({"/cfg/lamp.LUM"});
  EXPECT_EQ(one.kind, Kind::Run);
  EXPECT_EQ(one.file, "/cfg/lamp.LUM");

  const StartRequest option = ReadStartArguments({"--open", "a.LUM"});
  EXPECT_EQ(option.kind, Kind::Error);
  EXPECT_NE(option.error.find("--open"), std::string::npos);
  EXPECT_EQ(ReadStartArguments({"a.LUM", "b.LUM"}).kind, Kind::Error);
  // A lone "-" is a file name, as far as lum is concerned.
  EXPECT_EQ(ReadStartArguments({"-"}).file, "-");
}

// The desktop and the window's title bar show the program's own picture, drawn at every size.
TEST(StartArgumentsTest, TheApplicationIconIsFoundAndDrawn) {
  const QIcon icon = ApplicationIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_FALSE(icon.pixmap(48, 48).isNull());
}

}  // namespace
}  // namespace lum::test
