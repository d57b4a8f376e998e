// Cells of exported CSV files as a spreadsheet reads them: what would start a formula is
// shown as text, numbers stay numbers, separators and quotes stay inside their cell.
#include <gtest/gtest.h>

#include "data/CsvCell.h"

namespace lum {
namespace {

TEST(CsvCell, FormulaStartsBecomeTextAndNumbersStayNumbers) {
  for (const char* number : {"-5.2", "+3", "-1.5e3", "-.5", "0", "12.000"}) EXPECT_EQ(CsvCell(number), number);
  EXPECT_EQ(CsvCell("=1+2"), "'=1+2");
  EXPECT_EQ(CsvCell("@SUM(A1)"), "'@SUM(A1)");
  EXPECT_EQ(CsvCell("-A1"), "'-A1");
  EXPECT_EQ(CsvCell("-5.2+A1"), "'-5.2+A1") << "a number followed by more is a formula";
  EXPECT_EQ(CsvCell("+"), "'+");
  EXPECT_EQ(CsvCell("\t=1"), "'\t=1");
  EXPECT_EQ(CsvCell("a=1"), "a=1") << "only the start of a cell matters";
  EXPECT_EQ(CsvCell(""), "");
}

TEST(CsvCell, SeparatorsQuotesAndLineBreaksStayInTheirCell) {
  EXPECT_EQ(CsvCell("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvCell("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvCell("=HYPERLINK(\"x\",\"y\")"), "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
}

}  // namespace
}  // namespace lum
