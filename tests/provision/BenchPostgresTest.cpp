// Two benches sharing one PostgreSQL database: every attempt of both is stored exactly once,
// also when the server goes away in the middle of the run and comes back.
#include <gtest/gtest.h>

#include <set>

#include "data/TempDir.h"
#include "provision/Bench.h"
#include "store/Database.h"
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
  store::RecordStore storeA(url, Path("a-spool.db"), std::chrono::milliseconds(0));
  store::RecordStore storeB(url, Path("b-spool.db"), std::chrono::milliseconds(0));
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
  for (const auto& record : store::SelectRecords(*store::OpenDatabase(url))) {
    stored.insert(record.attemptId);
    EXPECT_EQ(record.result, store::Outcome::Done) << record.reason;
  }
  for (auto* seen : {&seenA, &seenB})
    for (const auto& record : seen->Records()) sent.insert(record.attemptId);
  EXPECT_EQ(sent.size(), 8u);
  EXPECT_EQ(stored.size(), sent.size());
  for (const std::string& id : sent) EXPECT_EQ(stored.count(id), 1u) << id;
}

}  // namespace
}  // namespace lum
