// Two benches sharing one PostgreSQL database: every attempt of both is stored exactly once,
// also when the server goes away in the middle of the run and comes back.
#include <gtest/gtest.h>

#include <set>

#include "data/TempDir.h"
#include "provision/Bench.h"
#include "sim/Simulator.h"
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

// A controller may send its model text in a legacy encoding. Whatever the server makes of it,
// the process goes on, and every unit that was written is either stored or named as not
// recorded, once; a unit that could not be recorded stops the bench.
TEST_F(BenchPostgresTest, AModelTextThatIsNotUtf8NeverEndsTheProcessNorLosesAUnitSilently) {
  PgCluster cluster;
  const std::string url = cluster.NewDatabase();
  SimulatedBench ports(2);
  const ProvisioningJob job = LoadJob(WriteJobFiles(dir_.string()));
  store::RecordStore records(url, Path("spool.db"), std::chrono::milliseconds(0));
  RecordingBench seen;
  Bench bench(job, records, ports.Ports(), Settings("bench-a"), seen);
  bench.Start();

  constexpr uint32_t kLegacy = 0x02000101, kPlain = 0x02000102;
  sim::ControllerSetup legacy = SimulatedBench::Unit(kLegacy);
  legacy.model =
      "LS\xff\xfe\x80"
      "bad";  // GBK bytes, not UTF-8
  ports.Port(1).Plug(legacy);
  ports.Port(2).Plug(SimulatedBench::Unit(kPlain));
  ASSERT_TRUE(seen.WaitForUnit(kLegacy));
  const bool stoppedItself = !seen.Faults().empty();
  if (!stoppedItself) {
    ASSERT_TRUE(seen.WaitForUnit(kPlain));
  }
  EXPECT_EQ(bench.Running(), !stoppedItself) << "a unit that could not be recorded stops the bench";
  bench.Stop();

  std::multiset<uint32_t> accounted;
  for (const auto& record : store::SelectRecords(*store::OpenDatabase(url))) accounted.insert(record.serialNumber);
  for (const BenchFault& fault : bench.Faults()) {
    ASSERT_TRUE(fault.unit.has_value()) << FaultText(fault);
    EXPECT_EQ(fault.port, fault.unit->serialNumber == kLegacy ? "COM1" : "COM2");
    accounted.insert(fault.unit->serialNumber);
  }
  EXPECT_EQ(accounted.count(kLegacy), 1u) << "stored or named, once";
  EXPECT_EQ(ports.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "the unit was written";
  // The other unit was either finished (and then accounted for) or never taken.
  const bool plainTaken = ports.Port(2).Config().BattOVP() == JobBlock().BattOVP();
  EXPECT_EQ(accounted.count(kPlain), plainTaken ? 1u : 0u);
}

}  // namespace
}  // namespace lum
