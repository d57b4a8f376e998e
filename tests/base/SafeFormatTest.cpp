#include <gtest/gtest.h>

#include "base/SafeFormat.h"

namespace lum {
namespace {

TEST(FormatText, FillsTextAndNumberPlaceholders) {
  EXPECT_EQ(FormatText("[%s] %s is not a %s format file.", {"t", "/a/b.LUM", "LUM1.0"}),
            "[t] /a/b.LUM is not a LUM1.0 format file.");
  EXPECT_EQ(FormatText("第 %d 路", {2}), "第 2 路");
  EXPECT_EQ(FormatText("%i/%u", {-7, 7}), "-7/7");
  EXPECT_EQ(FormatText("固件版本：%d.%d.%d.%d", {1, 2, 3, 7}), "固件版本：1.2.3.7");
}

TEST(FormatText, PrecisionIsTheMinimumNumberOfDigits) {
  EXPECT_EQ(FormatText("%.2d-%.2d-%.4d", {3, 12, 2016}), "03-12-2016");
  EXPECT_EQ(FormatText("%.2d", {123}), "123");
  EXPECT_EQ(FormatText("%.3d", {-5}), "-005");
  EXPECT_EQ(FormatText("[%.0d]", {0}), "[]");
  EXPECT_EQ(FormatText("%.8X", {0x1F}), "0000001F");
  EXPECT_EQ(FormatText("@0x%.8p.", {0xABCDEF}), "@0x00ABCDEF.");
  EXPECT_EQ(FormatText("%x %X", {255, 255}), "ff FF");
}

TEST(FormatText, FlagsAndWidth) {
  EXPECT_EQ(FormatText("[%5d]", {42}), "[   42]");
  EXPECT_EQ(FormatText("[%-5d]", {42}), "[42   ]");
  EXPECT_EQ(FormatText("[%05d]", {-42}), "[-0042]");
  EXPECT_EQ(FormatText("[%+d|% d]", {5, 5}), "[+5| 5]");
  EXPECT_EQ(FormatText("[%08.3d]", {7}), "[     007]");  // zero flag ignored with a precision
  EXPECT_EQ(FormatText("[%4s|%-4s]", {"ab", "cd"}), "[  ab|cd  ]");
  EXPECT_EQ(FormatText("[%.2s]", {"未知文本"}), "[未知]");  // counts characters, never cuts one apart
  EXPECT_EQ(FormatText("[%3s]", {"未知"}), "[ 未知]");
}

TEST(FormatText, PercentSignsThatAreNoPlaceholders) {
  EXPECT_EQ(FormatText("100%% %s", {"ok"}), "100% ok");
  EXPECT_EQ(FormatText("功率0-100%", {}), "功率0-100%");
}

TEST(FormatText, HostileOrMismatchedTextIsReturnedAsItStands) {
  const std::string hostile = "Msg_4=%s%s%s%n%x";
  EXPECT_EQ(FormatText(hostile, {"one"}), hostile);
  EXPECT_EQ(FormatText("%s %n", {"a", 1}), "%s %n");
  EXPECT_EQ(FormatText("%f", {1}), "%f");
  EXPECT_EQ(FormatText("%c", {65}), "%c");
  EXPECT_EQ(FormatText("%ld", {1}), "%ld");
  EXPECT_EQ(FormatText("%*d", {1, 2}), "%*d");
  EXPECT_EQ(FormatText("%d", {"text"}), "%d");
  EXPECT_EQ(FormatText("%s", {5}), "%s");
  EXPECT_EQ(FormatText("%s and %s", {"one"}), "%s and %s");
  EXPECT_EQ(FormatText("%99999999999999999999d", {1}), "%99999999999999999999d");
  EXPECT_EQ(FormatText("%.5000d", {1}), "%.5000d");
  EXPECT_EQ(FormatText("ends in %", {1}), "ends in %");
  EXPECT_EQ(FormatText("%-", {1}), "%-");
}

TEST(FormatText, SurplusArgumentsAreIgnored) {
  EXPECT_EQ(FormatText("打开%s通讯端口... ", {"COM3", "extra", 9}), "打开COM3通讯端口... ");
  EXPECT_EQ(FormatText("no placeholders", {1, "x"}), "no placeholders");
}

TEST(FormatText, UnsignedConversionsOfLargeAndNegativeNumbers) {
  EXPECT_EQ(FormatText("%u", {int64_t{4294967295}}), "4294967295");
  EXPECT_EQ(FormatText("%X", {int64_t{-1}}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(FormatText("%d", {INT64_MIN}), "-9223372036854775808");
}

}  // namespace
}  // namespace lum
