// The commissioning table's versions and privileges: databases made by the first release are
// migrated forward whole, the table is made or migrated only by a role that may, and a role
// that may only insert and select works on a ready database.
#include <gtest/gtest.h>

#include "base/RegularFile.h"
#include "base/TextEncoding.h"
#include "data/TempDir.h"
#include "store/RecordChain.h"
#include "store/RecordSchema.h"
#include "store/RecordStore.h"
#include "support/PgCluster.h"

namespace lum::store {
namespace {

std::string Fixture(const std::string& name) {
  return ReadWholeFile(std::string(LUM_SOURCE_DIR) + "/tests/store/fixtures/" + name);
}

Blob BytesOf(const std::string& text) { return Blob(text.begin(), text.end()); }

CommissioningRecord NewAttempt(uint32_t serial) {
  CommissioningRecord r;
  r.attemptId = NewAttemptId();
  r.timeUtc = "2026-12-01T08:00:00.000Z";
  r.job = "street";
  r.configHash = "h1";
  r.model = "LS2024";
  r.modelBytes = BytesOf(r.model);
  r.serialNumber = serial;
  r.result = Outcome::Done;
  return r;
}

bool HasTimeIndex(Database& db) {
  const char* query = db.Kind() == Dialect::SQLite
                          ? "SELECT name FROM sqlite_master WHERE type = 'index' AND name = 'commissioning_time'"
                          : "SELECT indexname FROM pg_indexes WHERE indexname = 'commissioning_time'";
  return !db.Query(query).empty();
}

// The first release's three rows, each field as it was written, and a whole chain.
void ExpectFirstReleaseRows(RecordStore& store, Database& db) {
  EXPECT_EQ(RecordSchemaVersion(db), kRecordSchemaVersion);
  EXPECT_TRUE(HasTimeIndex(db));
  const auto rows = store.Records();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].attemptId, "a1");
  EXPECT_EQ(rows[0].model, "LS2024");
  EXPECT_EQ(rows[0].modelBytes, BytesOf("LS2024"));
  EXPECT_EQ(rows[0].serialNumber, 16777217u);
  EXPECT_EQ(rows[0].before, (Blob{1, 2}));
  EXPECT_EQ(rows[0].after, (Blob{1, 3}));
  EXPECT_EQ(rows[1].result, Outcome::Refused);
  EXPECT_EQ(rows[1].reason, "product 0x515620 is not in the job");
  EXPECT_EQ(rows[1].after, Blob{});
  EXPECT_EQ(rows[2].operatorName, "bo");
  EXPECT_EQ(rows[2].durationMs, 4300);
  const ChainCheck check = VerifyChain(db);
  EXPECT_EQ(check.rows, 3u);
  EXPECT_FALSE(check.firstBreak.has_value());
}

class RecordSchemaTest : public TempDir {};

TEST_F(RecordSchemaTest, AnSqliteFileOfTheFirstReleaseIsMigratedWhole) {
  OpenDatabase(Path("old.db"))->Exec(Fixture("commissioning-v1-sqlite.sql"));
  const auto db = OpenDatabase(Path("old.db"));
  EXPECT_EQ(RecordSchemaVersion(*db), 1);

  RecordStore store(Path("old.db"), Path("spool.db"));
  ExpectFirstReleaseRows(store, *db);
  // Its models were the unit's GBK bytes: kept, and decoded as the window shows them.
  const auto rows = store.Records();
  EXPECT_EQ(rows[2].model, "光控制器");
  EXPECT_EQ(rows[2].modelBytes, BytesOf("\xB9\xE2\xBF\xD8\xD6\xC6\xC6\xF7"));
  EXPECT_EQ(rows[1].modelBytes, BytesOf("LS\xFF\xFE\x80"
                                        "bad"));
  EXPECT_EQ(DecodeText(rows[1].model, TextEncoding::Utf8), rows[1].model) << "valid UTF-8";
  EXPECT_TRUE(rows[1].model.starts_with("LS") && rows[1].model.ends_with("bad")) << rows[1].model;

  store.Add(NewAttempt(4));
  EXPECT_EQ(store.Records().size(), 4u);
  EXPECT_EQ(VerifyChain(*db).rows, 4u);
  EXPECT_FALSE(VerifyChain(*db).firstBreak.has_value()) << "new rows go on from the migrated chain";
  EXPECT_EQ(PrepareRecordTable(*db).from, kRecordSchemaVersion) << "migrated once";
}

// The second release chained its rows but listed them in time order by sorting the whole table.
TEST_F(RecordSchemaTest, AnSqliteFileOfTheSecondReleaseGainsTheTimeIndexAndKeepsItsChain) {
  OpenDatabase(Path("v2.db"))->Exec(Fixture("commissioning-v2-sqlite.sql"));
  const auto db = OpenDatabase(Path("v2.db"));
  ASSERT_EQ(RecordSchemaVersion(*db), 2);
  ASSERT_FALSE(HasTimeIndex(*db));
  const std::string listing = "EXPLAIN QUERY PLAN SELECT * FROM commissioning ORDER BY time_utc, id";
  auto plan = [&] {
    std::string details;
    for (const Row& row : db->Query(listing)) details += std::get<std::string>(row.back()) + "\n";
    return details;
  };
  EXPECT_NE(plan().find("TEMP B-TREE"), std::string::npos) << "the fixture is a table without the index";

  RecordStore store(Path("v2.db"), Path("spool.db"));
  EXPECT_EQ(RecordSchemaVersion(*db), kRecordSchemaVersion);
  EXPECT_TRUE(HasTimeIndex(*db));
  EXPECT_EQ(plan().find("TEMP B-TREE"), std::string::npos) << plan();
  const auto rows = store.Records();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].serialNumber, 101u);
  EXPECT_EQ(rows[1].serialNumber, 102u);
  store.Add(NewAttempt(103));
  const ChainCheck check = VerifyChain(*db);
  EXPECT_EQ(check.rows, 3u);
  EXPECT_FALSE(check.firstBreak.has_value()) << "the chain goes on through the migration";
}

TEST_F(RecordSchemaTest, AServerDatabaseOfTheFirstReleaseIsMigratedByItsOwnerOnly) {
  PgCluster& cluster = PgCluster::Shared();
  const std::string url = cluster.NewDatabase();
  const std::string name = PgCluster::DatabaseOf(url);
  cluster.Sql(name, Fixture("commissioning-v1-postgresql.sql"));
  cluster.Sql(name,
              "CREATE ROLE old_bench LOGIN; GRANT SELECT, INSERT ON commissioning TO old_bench;"
              "GRANT USAGE ON SEQUENCE commissioning_id_seq TO old_bench");

  // The benches' role may not migrate: it is told who may.
  try {
    RecordStore bench(cluster.UrlAs(name, "old_bench"), Path("spool.db"));
    FAIL() << "a role without the right to migrate opened a table of version 1";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.Kind(), Failure::NotPermitted);
    EXPECT_NE(std::string(e.what()).find("lumctl records init"), std::string::npos) << e.what();
  }
  EXPECT_EQ(RecordSchemaVersion(*OpenDatabase(url)), 1) << "left as it was";

  // The owner migrates; then the role that may only insert and select writes on.
  EXPECT_EQ(PrepareRecordTable(*OpenDatabase(url)).from, 1);
  cluster.Sql(name, "GRANT SELECT ON lum_schema TO old_bench");
  RecordStore bench(cluster.UrlAs(name, "old_bench"), Path("spool.db"));
  const auto db = OpenDatabase(url);
  ExpectFirstReleaseRows(bench, *db);
  bench.Add(NewAttempt(4));
  EXPECT_EQ(bench.SpooledCount(), 0u);
  EXPECT_EQ(bench.Records().size(), 4u);
  EXPECT_FALSE(VerifyChain(*db).firstBreak.has_value());
}

TEST_F(RecordSchemaTest, ARoleThatMayOnlyInsertAndSelectWritesOnIntoATableWithoutTheTimeIndex) {
  PgCluster& cluster = PgCluster::Shared();
  const std::string url = cluster.NewDatabase();
  const std::string name = PgCluster::DatabaseOf(url);
  PrepareRecordTable(*OpenDatabase(url));
  cluster.Sql(name,
              "DROP INDEX commissioning_time; UPDATE lum_schema SET version = 2; CREATE ROLE v2_bench LOGIN; "
              "GRANT SELECT, INSERT ON commissioning, lum_schema TO v2_bench");

  RecordStore bench(cluster.UrlAs(name, "v2_bench"), Path("spool.db"));
  bench.Add(NewAttempt(9));
  EXPECT_EQ(bench.SpooledCount(), 0u) << bench.ServerProblem();
  EXPECT_EQ(bench.Records().size(), 1u);
  const auto db = OpenDatabase(url);
  EXPECT_EQ(RecordSchemaVersion(*db), 2) << "left for its owner to migrate";
  EXPECT_FALSE(HasTimeIndex(*db));
  EXPECT_EQ(PrepareRecordTable(*db).from, 2);
  EXPECT_TRUE(HasTimeIndex(*db)) << "the owner adds it";
}

TEST_F(RecordSchemaTest, ARoleThatMayOnlyInsertAndSelectWorksOnceTheOwnerMadeTheTable) {
  PgCluster& cluster = PgCluster::Shared();
  const std::string url = cluster.NewDatabase();
  const std::string name = PgCluster::DatabaseOf(url);
  cluster.Sql(name, "CREATE ROLE line_bench LOGIN");
  const std::string benchUrl = cluster.UrlAs(name, "line_bench");

  try {
    RecordStore bench(benchUrl, Path("spool.db"));
    FAIL() << "the table was missing and the role may not make it";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.Kind(), Failure::NotPermitted);
    EXPECT_NE(std::string(e.what()).find("lumctl records init"), std::string::npos) << e.what();
  }

  const SchemaChange made = PrepareRecordTable(*OpenDatabase(url));  // what `records init` does
  EXPECT_EQ(made.from, 0);
  EXPECT_EQ(made.to, kRecordSchemaVersion);
  EXPECT_TRUE(HasTimeIndex(*OpenDatabase(url)));
  cluster.Sql(name, "GRANT SELECT, INSERT ON commissioning, lum_schema TO line_bench");

  RecordStore bench(benchUrl, Path("spool.db"));
  EXPECT_TRUE(bench.Online());
  CommissioningRecord done = NewAttempt(7);
  bench.Add(done);
  bench.Add(done);  // sent twice, stored once
  bench.Add(NewAttempt(8));
  EXPECT_EQ(bench.SpooledCount(), 0u) << bench.ServerProblem();
  EXPECT_TRUE(bench.AlreadyDone(7, "street", "h1"));
  ASSERT_EQ(bench.Records().size(), 2u);
  EXPECT_EQ(bench.Records()[0], done);
  EXPECT_FALSE(VerifyChain(*OpenDatabase(url)).firstBreak.has_value());
}

}  // namespace
}  // namespace lum::store
