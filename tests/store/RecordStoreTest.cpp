// Commissioning records: filters, "already done", two benches writing at once into one
// database, and rows kept in the spool while the server is away and sent when it returns.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "base/TimeStamp.h"
#include "data/TempDir.h"
#include "store/RecordStore.h"
#include "support/PgCluster.h"

namespace lum::store {
namespace {

CommissioningRecord Attempt(uint32_t serial, Outcome result, const std::string& bench = "bench-a",
                            const std::string& time = UtcStamp()) {
  CommissioningRecord r;
  r.attemptId = NewAttemptId();
  r.timeUtc = time;
  r.bench = bench;
  r.operatorName = "ana";
  r.port = "COM3";
  r.job = "street-2026";
  r.configHash = "hash-1";
  r.model = "LS-2420D";
  r.serialNumber = serial;
  r.firmwareVersion = 123;
  r.firmwareBuild = 7;
  r.batchCode = 0x0C0B07E9;
  r.productCode = 0x00123450;
  r.before = Blob(1760, 0x11);
  r.after = Blob(1760, 0x22);
  r.result = result;
  r.reason = result == Outcome::Failed ? "BattOVP: wrote 14400, read 14401" : "";
  r.durationMs = 4200;
  return r;
}

// Every row each bench wrote is there exactly once.
void ExpectEachOnce(const std::vector<CommissioningRecord>& stored, const std::vector<std::string>& sent) {
  std::multiset<std::string> ids;
  for (const CommissioningRecord& r : stored) ids.insert(r.attemptId);
  EXPECT_EQ(ids.size(), sent.size());
  for (const std::string& id : sent) EXPECT_EQ(ids.count(id), 1u) << id;
}

// Two benches, each with its own connection, add rows at the same time.
std::vector<std::string> TwoBenchesAtOnce(const std::string& target, const std::string& spoolA,
                                          const std::string& spoolB, int rowsEach) {
  std::vector<std::string> ids[2];
  std::vector<std::thread> benches;
  for (int b = 0; b < 2; ++b)
    benches.emplace_back([&, b] {
      RecordStore store(target, b == 0 ? spoolA : spoolB);
      for (int i = 0; i < rowsEach; ++i) {
        const CommissioningRecord r =
            Attempt(static_cast<uint32_t>(b * 1000 + i), Outcome::Done, "bench-" + std::to_string(b));
        store.Add(r);
        ids[b].push_back(r.attemptId);
      }
      EXPECT_EQ(store.SpooledCount(), 0u);
    });
  for (std::thread& t : benches) t.join();
  ids[0].insert(ids[0].end(), ids[1].begin(), ids[1].end());
  return ids[0];
}

class SqliteRecordsTest : public TempDir {};
class PostgresRecordsTest : public TempDir {};

TEST_F(SqliteRecordsTest, RowsComeBackWholeAndFiltered) {
  RecordStore store(Path("commissioning.db"), Path("spool.db"));
  const CommissioningRecord early = Attempt(1, Outcome::Done, "bench-a", "2026-01-01T08:00:00.000Z");
  CommissioningRecord failed = Attempt(2, Outcome::Failed, "bench-a", "2026-01-02T08:00:00.000Z");
  CommissioningRecord other = Attempt(3, Outcome::Done, "bench-b", "2026-01-03T08:00:00.000Z");
  other.job = "other-job";
  for (const auto& r : {early, failed, other}) store.Add(r);

  const auto all = store.Records();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0], early) << "every field, the blocks included, comes back as stored";
  EXPECT_EQ(store.Records({.job = "other-job"}).size(), 1u);
  EXPECT_EQ(store.Records({.sinceUtc = "2026-01-02T00:00:00Z"}).size(), 2u);
  const auto failures = store.Records({.result = Outcome::Failed});
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].reason, failed.reason);
  EXPECT_EQ(store.Records({.job = "street-2026", .result = Outcome::Done}).size(), 1u);

  // Only a "done" row of the same unit, job and configuration counts.
  EXPECT_TRUE(store.AlreadyDone(1, "street-2026", "hash-1"));
  EXPECT_FALSE(store.AlreadyDone(1, "street-2026", "hash-2"));
  EXPECT_FALSE(store.AlreadyDone(1, "other-job", "hash-1"));
  EXPECT_FALSE(store.AlreadyDone(2, "street-2026", "hash-1")) << "a failed attempt is not done";

  // A row sent twice (a retry after a lost answer) is stored once.
  store.Add(early);
  EXPECT_EQ(store.Records().size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(Path("spool.db"))) << "a local file needs no spool";
}

TEST_F(SqliteRecordsTest, TwoBenchesWritingAtOnceLoseAndDuplicateNothing) {
  const auto sent = TwoBenchesAtOnce(Path("shared.db"), Path("a.db"), Path("b.db"), 60);
  RecordStore reader(Path("shared.db"), Path("r.db"));
  ExpectEachOnce(reader.Records(), sent);
}

TEST_F(PostgresRecordsTest, TwoBenchesWritingAtOnceLoseAndDuplicateNothing) {
  PgCluster cluster;
  const std::string url = cluster.NewDatabase();
  const auto sent = TwoBenchesAtOnce(url, Path("a.db"), Path("b.db"), 100);
  RecordStore reader(url, Path("r.db"));
  ExpectEachOnce(reader.Records(), sent);
}

TEST_F(PostgresRecordsTest, RowsWrittenWhileTheServerIsAwayArriveWhenItReturns) {
  PgCluster cluster;
  const std::string url = cluster.NewDatabase();
  const std::string spool = Path("spool.db");
  std::vector<std::string> sent;
  auto add = [&](RecordStore& store, uint32_t serial) {
    const CommissioningRecord r = Attempt(serial, Outcome::Done);
    store.Add(r);
    sent.push_back(r.attemptId);
  };
  {
    RecordStore store(url, spool, std::chrono::milliseconds(0));
    add(store, 1);
    add(store, 2);
    EXPECT_TRUE(store.Online());

    cluster.Stop();
    add(store, 3);
    add(store, 4);
    EXPECT_FALSE(store.Online());
    EXPECT_EQ(store.SpooledCount(), 2u);
    EXPECT_TRUE(store.AlreadyDone(3, "street-2026", "hash-1")) << "the spool counts while the server is away";
    EXPECT_EQ(store.Records().size(), 2u) << "the spooled rows are listed";

    cluster.Start();
    add(store, 5);  // the next row sends the waiting ones first
    EXPECT_EQ(store.SpooledCount(), 0u);
    EXPECT_TRUE(store.Online());

    cluster.Stop();
    add(store, 6);  // left in the spool when this run ends
  }
  cluster.Start();
  RecordStore nextRun(url, spool, std::chrono::milliseconds(0));
  EXPECT_EQ(nextRun.SpooledCount(), 0u) << "an earlier run's spool is sent on start";
  const auto stored = SelectRecords(*OpenDatabase(url));
  ExpectEachOnce(stored, sent);
  for (size_t i = 1; i < stored.size(); ++i)
    EXPECT_LE(stored[i - 1].serialNumber, stored[i].serialNumber) << "spooled rows keep their order";
}

TEST_F(PostgresRecordsTest, ServerAwayAtStartIsNotAnError) {
  RecordStore store("postgresql://lum@/none?host=" + Path("no-socket") + "&port=5432", Path("spool.db"),
                    std::chrono::milliseconds(0));
  store.Add(Attempt(1, Outcome::Refused));
  EXPECT_FALSE(store.Online());
  EXPECT_EQ(store.SpooledCount(), 1u);
  EXPECT_FALSE(store.Flush());
}

}  // namespace
}  // namespace lum::store
