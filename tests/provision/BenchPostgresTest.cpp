// Two benches sharing one PostgreSQL database: every attempt of both is stored exactly once,
// also when the server goes away in the middle of the run and comes back.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "data/TempDir.h"
#include "provision/Bench.h"
#include "sim/Simulator.h"
#include "store/Database.h"
#include "store/RecordTable.h"
#include "support/BenchSupport.h"
#include "support/PgCluster.h"

namespace lum {
namespace {

class BenchPostgresTest : public TempDir {};

BenchSettings Settings(const std::string& name) {
  BenchSettings settings;
  settings.bench = name;
  settings.presencePoll = std::chrono::milliseconds(50);
  return settings;
}

TEST_F(BenchPostgresTest, TwoBenchesLoseAndDuplicateNoRowWhileTheServerComesAndGoes) {
  PgCluster cluster;
  const std::string url = cluster.NewDatabase();
  SimulatedBench ports(4);
  const ProvisioningJob job = LoadJob(WriteJobFiles(dir_.string()));
  store::RecordStore storeA(url, Path("a-spool.db"), store::RecordStore::Use::Bench, std::chrono::milliseconds(0));
  store::RecordStore storeB(url, Path("b-spool.db"), store::RecordStore::Use::Bench, std::chrono::milliseconds(0));
  RecordingBench seenA, seenB;
  Bench a(job, storeA, ports.Ports(1, 2), Settings("bench-a"), seenA);
  Bench b(job, storeB, ports.Ports(3, 2), Settings("bench-b"), seenB);
  a.Start();
  b.Start();

  uint32_t serial = 0x02000000;
  auto plugAll = [&] {
    for (int n = 1; n <= 4; ++n) ports.Port(n).Plug(SimulatedBench::Unit(++serial));
  };
  plugAll();
  ASSERT_TRUE(seenA.WaitForRecords(2));
  ASSERT_TRUE(seenB.WaitForRecords(2));

  cluster.Stop();
  const size_t sinceA = seenA.StateCount(), sinceB = seenB.StateCount();
  for (int n = 1; n <= 4; ++n) ports.Port(n).Unplug();
  for (const char* port : {"COM1", "COM2"}) ASSERT_TRUE(seenA.WaitForPhase(port, PortPhase::Waiting, sinceA));
  for (const char* port : {"COM3", "COM4"}) ASSERT_TRUE(seenB.WaitForPhase(port, PortPhase::Waiting, sinceB));
  plugAll();
  ASSERT_TRUE(seenA.WaitForRecords(4));
  ASSERT_TRUE(seenB.WaitForRecords(4));
  EXPECT_EQ(storeA.SpooledCount(), 2u) << "rows wait locally while the server is away";
  EXPECT_EQ(storeB.SpooledCount(), 2u);

  cluster.Start();
  a.Stop();  // sends what waits
  b.Stop();
  EXPECT_EQ(storeA.SpooledCount() + storeB.SpooledCount(), 0u);

  std::multiset<std::string> stored;
  std::set<std::string> sent;
  for (const auto& record : store::SelectRecords({*store::OpenDatabase(url)})) {
    stored.insert(record.attemptId);
    EXPECT_EQ(record.result, store::Outcome::Done) << record.reason;
  }
  for (auto* seen : {&seenA, &seenB})
    for (const auto& record : seen->Records()) sent.insert(record.attemptId);
  EXPECT_EQ(sent.size(), 8u);
  EXPECT_EQ(stored.size(), sent.size());
  for (const std::string& id : sent) EXPECT_EQ(stored.count(id), 1u) << id;
}

// A controller may send its model text in a legacy encoding: the server takes the record (the
// text as the window shows it, the bytes as they came), and the bench goes on with the next unit.
TEST_F(BenchPostgresTest, AModelTextThatIsNotUtf8IsStoredWithItsBytes) {
  const std::string url = PgCluster::Shared().NewDatabase();
  SimulatedBench ports(2);
  const ProvisioningJob job = LoadJob(WriteJobFiles(dir_.string()));
  store::RecordStore records(url, Path("spool.db"), store::RecordStore::Use::Bench, std::chrono::milliseconds(0));
  RecordingBench seen;
  Bench bench(job, records, ports.Ports(), Settings("bench-a"), seen);
  bench.Start();

  constexpr uint32_t kLegacy = 0x02000101, kPlain = 0x02000102;
  const std::string legacyModel =
      "LS\xff\xfe\x80"
      "bad";  // GBK bytes, not UTF-8
  sim::ControllerSetup legacy = SimulatedBench::Unit(kLegacy);
  legacy.model = legacyModel;
  ports.Port(1).Plug(legacy);
  ports.Port(2).Plug(SimulatedBench::Unit(kPlain));
  ASSERT_TRUE(seen.WaitForUnit(kLegacy));
  ASSERT_TRUE(seen.WaitForUnit(kPlain));
  EXPECT_TRUE(bench.Running());
  bench.Stop();
  EXPECT_TRUE(bench.Faults().empty()) << FaultText(bench.Faults().front());

  const auto db = store::OpenDatabase(url);
  std::map<uint32_t, store::CommissioningRecord> stored;
  for (const auto& record : store::SelectRecords({*db})) stored[record.serialNumber] = record;
  ASSERT_EQ(stored.count(kLegacy), 1u);
  EXPECT_EQ(stored.count(kPlain), 1u);
  const store::CommissioningRecord& kept = stored[kLegacy];
  EXPECT_EQ(std::string(kept.modelBytes.begin(), kept.modelBytes.end()), legacyModel);
  EXPECT_EQ(kept.model.rfind("LS", 0), 0u);
  EXPECT_EQ(kept.result, store::Outcome::Done);
  EXPECT_EQ(ports.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "the unit was written";
}

}  // namespace
}  // namespace lum
