// lumctl records report: the report and labels of the records here, and what it refuses.
#include <gtest/gtest.h>

#include "cli/Lumctl.h"
#include "store/RecordStore.h"

namespace lum {
namespace {

class LumctlReport : public Lumctl {
 protected:
  void SetUp() override {
    WriteRaw("LUM.INI", "[Ports]\r\n");
    auto records = store::OpenRecordStore(dir_.string());
    for (const auto& [serial, result] :
         {std::pair{0x01000001u, store::Outcome::Done}, std::pair{0x01000002u, store::Outcome::Failed}}) {
      store::CommissioningRecord record;
      record.attemptId = store::NewAttemptId();
      record.timeUtc = "2026-12-08T09:00:00.000Z";
      record.job = "street";
      record.model = "LS-2420D";
      record.serialNumber = serial;
      record.result = result;
      records->Add(record);
    }
  }
  bool IsPdf(const std::string& name) { return ReadWholeFile(Path(name)).rfind("%PDF-", 0) == 0; }
};

TEST_F(LumctlReport, WritesTheReportAndTheLabelsAndStillListsTheRecords) {
  const auto made = Run("records report --job street --pdf report.pdf --labels labels.pdf");
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(Contains(made.out, "2 units")) << made.out;
  EXPECT_TRUE(IsPdf("report.pdf"));
  EXPECT_TRUE(IsPdf("labels.pdf"));
  EXPECT_TRUE(Contains(Run("records").out, "2 records")) << "the list is not replaced by the report";
}

TEST_F(LumctlReport, RefusesWithoutAnOutputAndWritesNoLabelsWhenNoUnitWasCommissioned) {
  EXPECT_EQ(Run("records report").status, 2);
  const auto none = Run("records report --job other --labels labels.pdf");
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(Contains(none.err, "nothing to label")) << none.err;
  EXPECT_FALSE(std::filesystem::exists(Path("labels.pdf")));
  EXPECT_EQ(Run("records report --since yesterday --pdf r.pdf").status, 2);
}

}  // namespace
}  // namespace lum
