// The commissioning report and unit labels, read back with the tools people open them with:
// the PDF's text through pdftotext, the labels' QR codes through a barcode reader.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "data/NewFileBlock.h"
#include "data/NumberFormats.h"
#include "data/TempDir.h"
#include "language/LanguageKeys.h"
#include "provision/ReportPdf.h"

namespace lum {
namespace {

using store::CommissioningRecord;
using store::Outcome;

std::string Output(const std::string& command) {
  std::string output;
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
  if (!pipe) return output;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) output.append(buffer.data(), n);
  return output;
}

// A value of pdfinfo's, such as "Pages" or "Page size".
std::string Info(const std::string& pdf, const std::string& name) {
  const std::string info = Output("pdfinfo '" + pdf + "'");
  const size_t at = info.find(name + ":");
  if (at == std::string::npos) return {};
  const size_t start = info.find_first_not_of(' ', at + name.size() + 1);
  return info.substr(start, info.find('\n', start) - start);
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

CommissioningRecord Attempt(uint32_t serial, Outcome result, const std::string& model, const std::string& time) {
  CommissioningRecord r;
  r.serialNumber = serial;
  r.model = model;
  r.job = "street-2026";
  r.timeUtc = time;
  r.firmwareVersion = 0x0102;
  r.firmwareBuild = 7;
  r.result = result;
  const TCONFIG_BLOCK block = NewFileStartBlock();
  r.before.assign(block.bytes().begin(), block.bytes().end());
  if (result == Outcome::Done) r.after = r.before;
  return r;
}

ReportTexts EnglishTexts() {
  const ProfileFile english = ProfileFile::Load(LUM_SOURCE_DIR "/lang/LUM_en.lng");
  MessageTable messages;
  messages.FillBuiltIn();
  ReadMessages(english, messages);
  return ReportTextsFrom(messages, english);
}

ReportTexts ChineseTexts() {
  MessageTable messages;
  messages.FillBuiltIn();
  return ReportTextsFrom(messages, ProfileFile());
}

class ReportPdfTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    dir_.WriteRaw(name, bytes);
    return dir_.Path(name);
  }
  std::string TextOf(const std::string& pdf) { return Output("pdftotext -layout '" + pdf + "' -"); }

  ScratchDir dir_;
  // Unit 1 done; unit 2 failed; unit 3 failed, then done on a second plug.
  std::vector<CommissioningRecord> records_ = {
      Attempt(0x0A000001, Outcome::Done, "LS-2420D", "2026-12-08T09:00:00.000Z"),
      Attempt(0x0A000002, Outcome::Failed, "LS-2420D", "2026-12-08T09:01:00.000Z"),
      Attempt(0x0A000003, Outcome::Failed, "LC-1530", "2026-12-08T09:02:00.000Z"),
      Attempt(0x0A000003, Outcome::Done, "LC-1530", "2026-12-08T09:05:00.000Z"),
  };
};

TEST_F(ReportPdfTest, OneLinePerUnitAndTheFailedOnesListedToReplug) {
  const ReportTexts texts = EnglishTexts();
  const auto lines = ReportLines(records_, texts);
  ASSERT_EQ(lines.size(), 3u);
  const std::string text = TextOf(Write("report.pdf", ReportPdf(lines, texts, "2026-12-08 10:00")));
  EXPECT_NE(text.find("Commissioning report"), std::string::npos) << text;
  EXPECT_NE(text.find("Job: street-2026"), std::string::npos);
  EXPECT_NE(text.find("Printed 2026-12-08 10:00"), std::string::npos);
  EXPECT_NE(text.find("To re-plug (1)"), std::string::npos);
  // The unit plugged twice is one line, by its latest attempt; the failed one is also re-plug.
  EXPECT_EQ(Count(text, FormatSerial(0x0A000003)), 1u);
  EXPECT_EQ(Count(text, FormatSerial(0x0A000002)), 2u);
  EXPECT_EQ(Count(text, "failed"), 2u);
  EXPECT_NE(text.find(FormatFirmware(0x0102, 7)), std::string::npos);
  EXPECT_NE(text.find("Page 1 of 1"), std::string::npos);
}

TEST_F(ReportPdfTest, ChineseReportAndControllerTextsThatAreNotPlainAscii) {
  records_[0].model = "路灯控制器";
  records_[1].model = "LS\xEF\xBF\xBD\x1B[2Jbad";  // a replaced byte and a terminal escape
  const ReportTexts texts = ChineseTexts();
  const std::string text = TextOf(Write("report.pdf", ReportPdf(ReportLines(records_, texts), texts, "now")));
  EXPECT_NE(text.find("调试报告"), std::string::npos) << text;
  EXPECT_NE(text.find("需重新插接 (1)"), std::string::npos);
  EXPECT_NE(text.find("路灯控制器"), std::string::npos);
  EXPECT_NE(text.find("bad"), std::string::npos);
  EXPECT_EQ(text.find('\x1B'), std::string::npos);
}

TEST_F(ReportPdfTest, ManyUnitsRunOverPagesWithEveryUnitOnOne) {
  std::vector<CommissioningRecord> many;
  for (uint32_t n = 1; n <= 70; ++n)
    many.push_back(
        Attempt(0x0B000000 + n, n % 10 ? Outcome::Done : Outcome::Failed, "LS-2420D", "2026-12-08T09:00:00.000Z"));
  const ReportTexts texts = EnglishTexts();
  const std::string pdf = Write("report.pdf", ReportPdf(ReportLines(many, texts), texts, "now"));
  const std::string text = TextOf(pdf);
  // 70 lines, the heading and 7 units to re-plug, 25 to a page.
  EXPECT_EQ(Info(pdf, "Pages"), "4");
  EXPECT_NE(text.find("Page 4 of 4"), std::string::npos);
  for (uint32_t n = 1; n <= 70; ++n) EXPECT_EQ(Count(text, FormatSerial(0x0B000000 + n)), n % 10 ? 1u : 2u) << n;
}

TEST_F(ReportPdfTest, EachCommissionedUnitGetsALabelWhoseQrCodeReadsItsSerial) {
  const ReportTexts texts = EnglishTexts();
  const std::string pdf = Write("labels.pdf", LabelsPdf(ReportLines(records_, texts), texts));
  EXPECT_EQ(Info(pdf, "Page size"), "175.748 x 82.2047 pts");  // 62 x 29 mm
  EXPECT_EQ(Info(pdf, "Pages"), "2");
  const std::string text = TextOf(pdf);
  EXPECT_NE(text.find("Job: street-2026"), std::string::npos);
  EXPECT_NE(text.find("2026-12-08"), std::string::npos);
  Output("pdftoppm -r 300 -png '" + pdf + "' '" + dir_.Path("label") + "'");
  const std::string read =
      Output("zbarimg -q --raw '" + dir_.Path("label-1.png") + "' '" + dir_.Path("label-2.png") + "'");
  EXPECT_EQ(read, FormatSerial(0x0A000001) + "\n" + FormatSerial(0x0A000003) + "\n");
}

TEST_F(ReportPdfTest, NoLabelsWithoutACommissionedUnit) {
  const ReportTexts texts = EnglishTexts();
  EXPECT_THROW(LabelsPdf(ReportLines({records_[1]}, texts), texts), std::runtime_error);
}

}  // namespace
}  // namespace lum
