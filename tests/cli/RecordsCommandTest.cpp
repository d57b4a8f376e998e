// lumctl records on every kind of records database: an unreachable server, a file made by the
// first release with a unit's GBK model text, a changed record, a table the owner makes and a
// login the server refuses.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "base/RegularFile.h"
#include "cli/Lumctl.h"
#include "store/RecordStore.h"
#include "support/BenchSupport.h"
#include "support/PgCluster.h"

namespace lum {
namespace {

class LumctlRecords : public Lumctl {
 protected:
  void SetUp() override { WriteRaw("LUM.INI", "[Ports]\r\n"); }
  static store::CommissioningRecord Attempt(uint32_t serial) {
    store::CommissioningRecord r;
    r.attemptId = "attempt-" + std::to_string(serial);
    r.timeUtc = fmt::format("2026-12-0{}T08:00:00.000Z", serial);
    r.job = "street";
    r.model = "LS2024";
    r.serialNumber = serial;
    r.result = store::Outcome::Done;
    return r;
  }
};

TEST_F(LumctlRecords, AnUnreachableServerIsSaidAndItsSpooledRecordsAreShownAsSpooled) {
  const std::string url = "postgresql://lum@/records?host=" + Path("no-socket") + "&port=5432";
  const auto empty = Run("records --db '" + url + "'");
  EXPECT_EQ(empty.status, 1) << "no list is not an empty list: " << empty.out;
  EXPECT_TRUE(Contains(empty.err, "cannot be reached")) << empty.err;

  {
    const auto bench = store::OpenRecordStore(dir_.string(), url);
    bench->Add(Attempt(1));
    bench->Add(Attempt(2));
  }
  const auto people = Run("records --db '" + url + "'");
  EXPECT_EQ(people.status, 1);
  EXPECT_TRUE(Contains(people.err, "cannot be reached")) << people.err;
  EXPECT_TRUE(Contains(people.out, "spooled")) << people.out;
  EXPECT_TRUE(Contains(people.out, "2 of them wait in the spool")) << people.out;

  const auto json = Run("records --json --db '" + url + "'");
  EXPECT_EQ(json.status, 1);
  const auto rows = nlohmann::json::parse(json.out);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["spooled"], true);
  EXPECT_EQ(rows[1]["attempt_id"], "attempt-2");
}

TEST_F(LumctlRecords, AFileOfTheFirstReleaseWithGbkModelTextsExportsWhole) {
  const std::string fixture =
      ReadWholeFile(std::string(LUM_SOURCE_DIR) + "/tests/store/fixtures/commissioning-v1-sqlite.sql");
  store::OpenDatabase(Path("commissioning.db"))->Exec(fixture);

  const auto json = Run("records --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const auto rows = nlohmann::json::parse(json.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1]["model_bytes"], "4C53FFFE80626164");
  EXPECT_EQ(rows[2]["model"], "光控制器");
  EXPECT_EQ(rows[2]["spooled"], false);

  const auto csv = Run("records --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 4) << csv.out;
  EXPECT_TRUE(Contains(csv.out, "光控制器")) << csv.out;
}

TEST_F(LumctlRecords, VerifyNamesTheFirstRecordChangedSinceItWasWritten) {
  {
    store::RecordStore bench(Path("commissioning.db"), Path("spool.db"));
    for (uint32_t serial = 1; serial <= 3; ++serial) bench.Add(Attempt(serial));
  }
  const auto whole = Run("records verify");
  EXPECT_EQ(whole.status, 0) << whole.err;
  EXPECT_TRUE(Contains(whole.out, "3 records, none changed")) << whole.out;

  store::OpenDatabase(Path("commissioning.db"))
      ->Exec("UPDATE commissioning SET result = 'done', reason = '' WHERE attempt_id = 'attempt-2'");
  store::OpenDatabase(Path("commissioning.db"))
      ->Exec("UPDATE commissioning SET job = 'x' WHERE attempt_id = 'attempt-2'");
  const auto changed = Run("records verify");
  EXPECT_EQ(changed.status, 1);
  EXPECT_TRUE(Contains(changed.err, "record 2 (attempt attempt-2")) << changed.err;
  EXPECT_TRUE(Contains(changed.err, "changed")) << changed.err;
}

TEST_F(LumctlRecords, InitMakesTheServerTableAndAWrongLoginIsRefusedAtStart) {
  PgCluster& cluster = PgCluster::Shared();
  const std::string url = cluster.NewDatabase();
  const auto made = Run("records init --db '" + url + "'");
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(Contains(made.out, "table was made (version")) << made.out;
  EXPECT_TRUE(Contains(Run("records init --db '" + url + "'").out, "are ready")) << "once";

  const std::string wrong = cluster.UrlAs(PgCluster::DatabaseOf(url), "no_such_role");
  const auto listed = Run("records --db '" + wrong + "'");
  EXPECT_EQ(listed.status, 2);
  EXPECT_TRUE(Contains(listed.err, "no_such_role")) << listed.err;

  WriteJobFiles(dir_.string());
  const auto provision = Run("provision job.json --count 1 --db '" + wrong + "'");
  EXPECT_EQ(provision.status, 2) << "a wrong login would spool a whole shift: " << provision.out;
  EXPECT_TRUE(Contains(provision.err, "no_such_role")) << provision.err;
  EXPECT_FALSE(std::filesystem::exists(Path("commissioning-spool.db")));
}

}  // namespace
}  // namespace lum
