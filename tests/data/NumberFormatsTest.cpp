#include <gtest/gtest.h>

#include "data/NumberFormats.h"

namespace lum {
namespace {

TEST(FormatScaled, ShowsTwoTruncatedDecimals) {
  EXPECT_EQ(FormatScaled(14400, kScaleMilli), "14.40");
  EXPECT_EQ(FormatScaled(12345, kScaleMilli), "12.34");
  EXPECT_EQ(FormatScaled(65535, kScaleMilli), "65.53");
  EXPECT_EQ(FormatScaled(0, kScaleMilli), "0.00");
  EXPECT_EQ(FormatScaled(9, kScaleMilli), "0.00");
  EXPECT_EQ(FormatScaled(50, kScaleMilli), "0.05");
  EXPECT_EQ(FormatScaled(500, kScaleCenti), "5.00");
  EXPECT_EQ(FormatScaled(99, kScaleCenti), "0.99");
  EXPECT_EQ(FormatScaled(65535, kScaleCenti), "655.35");
}

TEST(FormatScaled, RefusesAnUnknownScale) { EXPECT_THROW(FormatScaled(1, 10), std::invalid_argument); }

TEST(ParseTypedScaled, ReadsDigitsWithOneSeparatorOfTheLanguageOrAPoint) {
  EXPECT_EQ(ParseTypedScaled("14.4", kScaleMilli, "."), 14400);
  EXPECT_EQ(ParseTypedScaled("13.", kScaleMilli, "."), 13000);
  EXPECT_EQ(ParseTypedScaled(".05", kScaleMilli, "."), 50);
  EXPECT_EQ(ParseTypedScaled("65.535", kScaleMilli, "."), 65535);
  EXPECT_EQ(ParseTypedScaled("12.3456", kScaleMilli, "."), 12345);  // cut, as the fields show values
  EXPECT_EQ(ParseTypedScaled("12,5", kScaleCenti, ","), 1250);
  EXPECT_EQ(ParseTypedScaled("12.5", kScaleCenti, ","), 1250);
  EXPECT_EQ(ParseTypedScaled("1٫5", kScaleCenti, "٫"), 150);  // a separator of more than one byte
}

TEST(ParseTypedScaled, RefusesEverythingElseWhole) {
  for (const char* text : {"12,5", "1e3", "", ".", "-1", "+1", " 1", "1 ", "1.2.3", "1,2.5", "0x10", "65.536", "70",
                           "99999999999999999999"})
    EXPECT_EQ(ParseTypedScaled(text, kScaleMilli, "."), std::nullopt) << text;
  EXPECT_EQ(ParseTypedScaled("12,5,0", kScaleCenti, ","), std::nullopt);
  EXPECT_EQ(ParseTypedScaled("655.36", kScaleCenti, "."), std::nullopt);
}

TEST(ParseScaled, ReadsIntegersAndFractions) {
  EXPECT_EQ(ParseScaled("14.4", kScaleMilli), 14400);
  EXPECT_EQ(ParseScaled("13.", kScaleMilli), 13000);
  EXPECT_EQ(ParseScaled("0.05", kScaleMilli), 50);
  EXPECT_EQ(ParseScaled("7", kScaleMilli), 7000);
  EXPECT_EQ(ParseScaled("65.535", kScaleMilli), 65535);
  EXPECT_EQ(ParseScaled("+1.5", kScaleCenti), 150);
  EXPECT_EQ(ParseScaled("5", kScaleCenti), 500);
  EXPECT_EQ(ParseScaled("1.3", kScaleCenti), 130);
  EXPECT_EQ(ParseScaled("655.35", kScaleCenti), 65535);
}

TEST(ParseScaled, TextWithoutPointThatIsNoIntegerCountsAsZero) {
  EXPECT_EQ(ParseScaled("", kScaleMilli), 0);
  EXPECT_EQ(ParseScaled("abc", kScaleMilli), 0);
  EXPECT_EQ(ParseScaled(" 5", kScaleCenti), 0);
  EXPECT_EQ(ParseScaled("-", kScaleCenti), 0);
}

TEST(ParseScaled, CutsFractionDigitsBeyondTheScale) {
  EXPECT_EQ(ParseScaled("5.123", kScaleCenti), 512);
  EXPECT_EQ(ParseScaled("0.12345", kScaleMilli), 123);
  EXPECT_EQ(ParseScaled("1.0000000000000000000009", kScaleMilli), 1000);
}

std::string ErrorOf(const std::string& text, unsigned scale) {
  try {
    ParseScaled(text, scale);
  } catch (const ConversionError& e) {
    return e.what();
  }
  return "no error";
}

TEST(ParseScaled, RefusesNonIntegerPartsNamingThePartThatFailed) {
  EXPECT_EQ(ErrorOf(".5", kScaleMilli), "'' is not a valid integer value");
  EXPECT_EQ(ErrorOf("1x.5", kScaleMilli), "'1x' is not a valid integer value");
  EXPECT_EQ(ErrorOf("1.x", kScaleMilli), "'x00' is not a valid integer value");
  EXPECT_EQ(ErrorOf("1.-5", kScaleMilli), "'-50' is not a valid integer value");
  EXPECT_EQ(ErrorOf("1.2.3", kScaleMilli), "'2.3' is not a valid integer value");
  EXPECT_EQ(ErrorOf("1.23x4", kScaleCenti), "'23x4' is not a valid integer value");
  EXPECT_EQ(ErrorOf("-.5", kScaleMilli), "'-' is not a valid integer value");
}

TEST(ParseScaled, RefusesValuesOutsideSixteenBits) {
  EXPECT_EQ(ErrorOf("70", kScaleMilli), "'70' is out of range (at most 65.535)");
  EXPECT_EQ(ErrorOf("65.536", kScaleMilli), "'65.536' is out of range (at most 65.535)");
  EXPECT_EQ(ErrorOf("655.36", kScaleCenti), "'655.36' is out of range (at most 655.35)");
  EXPECT_EQ(ErrorOf("99999999999999999999999", kScaleMilli),
            "'99999999999999999999999' is out of range (at most 65.535)");
  EXPECT_EQ(ErrorOf("-1", kScaleMilli), "'-1' is out of range (not below 0)");
  EXPECT_EQ(ErrorOf("-0.5", kScaleCenti), "'-0.5' is out of range (not below 0)");
  EXPECT_EQ(ParseScaled("-0", kScaleMilli), 0);
}

TEST(ParseScaled, RoundTripsEveryShownValue) {
  for (unsigned scale : {kScaleMilli, kScaleCenti}) {
    for (uint32_t v = 0; v <= 65535; v += 7) {
      const auto value = static_cast<uint16_t>(v);
      const uint16_t back = ParseScaled(FormatScaled(value, scale), scale);
      EXPECT_EQ(back, value - value % (scale / 100)) << v << " at " << scale;
    }
  }
}

TEST(IdentityTexts, FormatSerialFirmwareAndBatch) {
  EXPECT_EQ(FormatSerial(0), "0000000000");
  EXPECT_EQ(FormatSerial(0x1A00007B), "1A00000123");
  EXPECT_EQ(FormatSerial(0xFFFFFFFF), "FF16777215");
  EXPECT_EQ(FormatFirmware(123, 7), "1.2.3.7");
  EXPECT_EQ(FormatFirmware(0, 0), "0.0.0.0");
  EXPECT_EQ(FormatBatch(0), "00-00-0000");
  EXPECT_EQ(FormatBatch((16u << 24) | (7u << 16) | 28u), "16-07-0028");
  EXPECT_EQ(FormatBatch(0xFFFFFFFF), "255-255-65535");
}

}  // namespace
}  // namespace lum
