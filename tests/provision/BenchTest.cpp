// The bench against simulated controllers plugged into pseudo-terminal ports: what is
// written, verified and recorded for each unit, and how units that do not fit, alter a value,
// vanish mid-write or come back are told apart.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "data/NumberFormats.h"
#include "data/TempDir.h"
#include "device/WritePlan.h"
#include "provision/Bench.h"
#include "provision/UnitChecks.h"
#include "support/BenchSupport.h"
#include "support/SteppingClock.h"
#include "support/UpgradeTestSupport.h"
#include "upgrade/EffBuilder.h"

namespace lum {
namespace {

using store::Outcome;

// Another program holding a port open, exclusively, until it is let go (a process of its own,
// so that it can be named).
class HeldElsewhere {
 public:
  explicit HeldElsewhere(const std::string& path) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    const char* device = path.c_str();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);  // so that the test's close is the end of the pipe
      const int fd = ::open(device, O_RDWR | O_NOCTTY);
      ::ioctl(fd, TIOCEXCL);
      char c = 1;
      (void)!::write(ready[1], &c, 1);
      (void)!::read(release[0], &c, 1);  // until the test lets go
      ::ioctl(fd, TIOCNXCL);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char c = 0;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
  }
  ~HeldElsewhere() { LetGo(); }
  HeldElsewhere(const HeldElsewhere&) = delete;
  HeldElsewhere& operator=(const HeldElsewhere&) = delete;
  pid_t Pid() const { return pid_; }
  void LetGo() {
    if (pid_ <= 0) return;
    ::close(release_);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  int release_ = -1;
};

// The bench's own waits (between looks, for a restarting unit) pass on a stepping clock; the
// exchanges keep their real pacing on the pseudo-terminals. One test of each path runs on the real
// clock throughout (RealClock).
class BenchTest : public TempDir {
 protected:
  enum class Waits { Stepped, Real };
  void StartBench(SimulatedBench& ports, const std::string& jobExtra = {}, Waits waits = Waits::Stepped) {
    job_ = LoadJob(WriteJobFiles(dir_.string(), jobExtra));
    if (!records_) records_ = std::make_unique<store::RecordStore>(Path("commissioning.db"), Path("spool.db"));
    BenchSettings settings;
    settings.bench = "test-bench";
    settings.operatorName = "ana";
    // On the stepping clock a look's pause costs no time, but a look at an empty port takes
    // its real second: the restart window is four looks.
    settings.presencePoll = std::chrono::milliseconds(waits == Waits::Real ? 50 : 2500);
    bench_ = std::make_unique<Bench>(job_, *records_, ports.Ports(), settings, observer_,
                                     waits == Waits::Real ? SystemClock() : clock_);
    bench_->Start();
  }
  // The unit's record, once it arrives.
  store::CommissioningRecord Next(size_t count) {
    EXPECT_TRUE(observer_.WaitForRecords(count)) << "no record " << count;
    const auto records = observer_.Records();
    return records.size() >= count ? records[count - 1] : store::CommissioningRecord{};
  }
  void TearDown() override {
    bench_.reset();
    TempDir::TearDown();
  }

  test::SteppingClock clock_;
  ProvisioningJob job_;
  std::unique_ptr<store::RecordStore> records_;
  RecordingBench observer_;
  std::unique_ptr<Bench> bench_;
};

TEST_F(BenchTest, OldFirmwareIsUpgradedFirstAndAnUpgradeThatNeverStartsFails) {
  test::EffFields eff;  // firmware 1.2.3.7, one block of image and of data in the loader's block size
  eff.blockSize = sim::LoaderOptions{}.BlockSize;
  eff.image = test::Pattern(eff.blockSize);
  eff.data = test::Pattern(eff.blockSize, 3);
  const auto bytes = BuildEff(eff);
  std::ofstream(Path("new.eff"), std::ios::binary) << std::string(bytes.begin(), bytes.end());
  SimulatedBench ports(2);
  StartBench(ports, R"("minFirmware": "1.2.3", "upgrade": "new.eff")", Waits::Real);

  // COM1's unit is restarted into its loader when asked; COM2's never is.
  const size_t since = observer_.StateCount();
  for (int n = 1; n <= 2; ++n) {
    sim::ControllerSetup old = SimulatedBench::Unit(0x01000070u + static_cast<uint32_t>(n));
    old.firmwareVersion = 122;
    ports.Port(n).Plug(old);
  }
  ASSERT_TRUE(observer_.WaitForPhase("COM1", PortPhase::Upgrading, since));
  // The loader announces itself until it is answered: the restart may come before the loader's port
  // is open.
  ports.Port(1).Restart();

  ASSERT_TRUE(observer_.WaitForRecords(2));
  std::map<std::string, store::CommissioningRecord> byPort;
  for (const auto& record : observer_.Records()) byPort[record.port] = record;
  const store::CommissioningRecord& upgraded = byPort["COM1"];
  EXPECT_EQ(upgraded.result, Outcome::Done) << upgraded.reason;
  EXPECT_EQ(upgraded.firmwareVersion, eff.version) << "recorded as it is now";
  EXPECT_EQ(upgraded.firmwareBuild, eff.build);
  EXPECT_EQ(upgraded.reason, "upgraded from " + FormatFirmware(122, SimulatedBench::Unit(0).firmwareBuild));
  EXPECT_EQ(ports.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "written after the upgrade";

  const store::CommissioningRecord& stuck = byPort["COM2"];
  EXPECT_EQ(stuck.result, Outcome::Failed);
  EXPECT_NE(stuck.reason.find("the upgrade did not complete"), std::string::npos) << stuck.reason;
  EXPECT_EQ(stuck.firmwareVersion, 122);
  EXPECT_TRUE(stuck.after.empty()) << "nothing was written";
  EXPECT_NE(ports.Port(2).Config().BattOVP(), JobBlock().BattOVP());
}

TEST_F(BenchTest, FourUnitsOnFourPortsAreWrittenVerifiedAndRecordedWithTheirBlocks) {
  SimulatedBench ports(4);
  StartBench(ports, {}, Waits::Real);
  EXPECT_EQ(bench_->Ports(), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
  const sim::ControllerSetup fresh = SimulatedBench::Unit(0);
  for (int n = 1; n <= 4; ++n) {
    ports.Port(n).Plug(SimulatedBench::Unit(0x01000000u + static_cast<uint32_t>(n)));
    const store::CommissioningRecord record = Next(static_cast<size_t>(n));
    EXPECT_EQ(record.result, Outcome::Done) << record.reason;
    EXPECT_EQ(record.port, "COM" + std::to_string(n));
    EXPECT_EQ(record.serialNumber, 0x01000000u + static_cast<uint32_t>(n));
    EXPECT_EQ(record.bench, "test-bench");
    EXPECT_EQ(record.operatorName, "ana");
    EXPECT_EQ(record.job, "street");
    EXPECT_EQ(record.firmwareVersion, fresh.firmwareVersion);

    // Before: what the fresh unit held; after: what the job wrote, as read back.
    ASSERT_EQ(record.before.size(), block_layout::kSize);
    ASSERT_EQ(record.after.size(), block_layout::kSize);
    TCONFIG_BLOCK before, after;
    std::copy(record.before.begin(), record.before.end(), before.bytes().begin());
    std::copy(record.after.begin(), record.after.end(), after.bytes().begin());
    EXPECT_TRUE(ReadBackMismatches(fresh.config, before).empty()) << "the before block is the unit's own";
    EXPECT_TRUE(ReadBackMismatches(JobBlock(), after).empty());
    EXPECT_FALSE(ReadBackMismatches(JobBlock(), before).empty());
    EXPECT_EQ(record.configHash, ConfigHash(job_.BlockFor(record.serialNumber, before)));
    // The controller itself holds the job's values.
    EXPECT_EQ(ports.Port(n).Config().BattOVP(), JobBlock().BattOVP());
    EXPECT_EQ(ports.Port(n).Config().Channel(0, 1).Timing(2).Minutes(), 45);
  }
  bench_->Stop();
  const auto stored = records_->Records();
  ASSERT_EQ(stored.size(), 4u);
  for (const auto& record : stored) EXPECT_EQ(record.result, Outcome::Done);
  EXPECT_EQ(bench_->Counts().done, 4);
}

TEST_F(BenchTest, AlteredValueFailsNamingTheFieldAndOldFirmwareIsRefused) {
  SimulatedBench ports(2);
  StartBench(ports, R"("minFirmware": "1.2.3.5")");
  sim::ControllerSetup altering = SimulatedBench::Unit(0x01000011);
  altering.alterations[command::kBattOVP] = {sim::AlterKind::Increment};
  ports.Port(1).Plug(altering);
  const auto failed = Next(1);
  EXPECT_EQ(failed.result, Outcome::Failed);
  EXPECT_NE(failed.reason.find("BattOVP"), std::string::npos) << failed.reason;
  EXPECT_EQ(failed.reason.find("SCV"), std::string::npos) << "only the altered field is named: " << failed.reason;

  sim::ControllerSetup old = SimulatedBench::Unit(0x01000012);
  old.firmwareBuild = 4;  // 1.2.3.4
  ports.Port(2).Plug(old);
  const auto refused = Next(2);
  EXPECT_EQ(refused.result, Outcome::Refused);
  EXPECT_NE(refused.reason.find("older than 1.2.3.5"), std::string::npos) << refused.reason;
  EXPECT_TRUE(refused.after.empty()) << "nothing was written";
  EXPECT_NE(ports.Port(2).Config().BattOVP(), JobBlock().BattOVP());
}

TEST_F(BenchTest, UnitLostMidWriteIsInterruptedThenWrittenWhenItReturns) {
  SimulatedBench ports(1);
  StartBench(ports);
  sim::ControllerSetup vanishing = SimulatedBench::Unit(0x01000021);
  vanishing.vanishAfterWrites = 3;
  ports.Port(1).Plug(vanishing);
  const auto lost = Next(1);
  EXPECT_EQ(lost.result, Outcome::Interrupted) << lost.reason;
  EXPECT_FALSE(ports.Port(1).Plugged());

  ports.Port(1).Plug(SimulatedBench::Unit(0x01000021));  // the same unit, plugged in again
  const auto done = Next(2);
  EXPECT_EQ(done.result, Outcome::Done) << done.reason;
  EXPECT_EQ(done.serialNumber, 0x01000021u);
  EXPECT_EQ(ports.Port(1).Config().BattOVP(), JobBlock().BattOVP());
}

TEST_F(BenchTest, SameUnitPluggedTwiceIsAlreadyDone) {
  SimulatedBench ports(1);
  StartBench(ports);
  ports.Port(1).Plug(SimulatedBench::Unit(0x01000031));
  EXPECT_EQ(Next(1).result, Outcome::Done);
  const size_t seen = observer_.StateCount();
  ports.Port(1).Unplug();
  ASSERT_TRUE(observer_.WaitForPhase("COM1", PortPhase::Waiting, seen)) << "the removal was not noticed";
  ports.Port(1).ClearRequestLog();
  // Plugged again holding what it was given: nothing is written (the request log shows no write).
  sim::ControllerSetup same = SimulatedBench::Unit(0x01000031);
  same.config = ports.Port(1).Config();
  ports.Port(1).Plug(same);
  const auto again = Next(2);
  EXPECT_EQ(again.result, Outcome::AlreadyDone);
  for (const auto& frame : ports.Port(1).RequestLog())
    EXPECT_EQ(frame[frame::kIndex] & frame::kWriteFlag, 0) << "a write was sent to a unit already done";
}

// "Already done" is what the unit holds, with its own overrides: a replaced board or a factory
// reset keeps the serial number of a unit done before, and is written again.
TEST_F(BenchTest, AlreadyDoneIsToldByTheUnitItselfWithItsOverrides) {
  std::ofstream(Path("sites.csv")) << "serial,SCV\n0100000051,480\n";  // 0x01000033
  SimulatedBench ports(3);
  StartBench(ports, R"("overrides": "sites.csv")");
  ports.Port(1).Plug(SimulatedBench::Unit(0x01000032));
  EXPECT_EQ(Next(1).result, Outcome::Done);
  const size_t seen = observer_.StateCount();
  ports.Port(1).Unplug();
  ASSERT_TRUE(observer_.WaitForPhase("COM1", PortPhase::Waiting, seen)) << "the removal was not noticed";
  ports.Port(1).Plug(SimulatedBench::Unit(0x01000032));  // factory values again
  const auto reset = Next(2);
  EXPECT_EQ(reset.result, Outcome::Done) << reset.reason;
  EXPECT_EQ(ports.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "written and verified again";
  EXPECT_EQ(reset.after.size(), block_layout::kSize);

  // Holding the job's values but not its own override: written.
  sim::ControllerSetup withoutOverride = SimulatedBench::Unit(0x01000033);
  withoutOverride.config = JobBlock();
  ports.Port(2).Plug(withoutOverride);
  const auto overridden = Next(3);
  EXPECT_EQ(overridden.result, Outcome::Done) << overridden.reason;
  EXPECT_EQ(ports.Port(2).Config().SCV(), 480);

  // Holding everything it is to get, with no record of it: nothing is written.
  sim::ControllerSetup holding = SimulatedBench::Unit(0x01000034);
  holding.config = JobBlock();
  ports.Port(3).Plug(holding);
  const auto held = Next(4);
  EXPECT_EQ(held.result, Outcome::AlreadyDone) << held.reason;
  for (const auto& frame : ports.Port(3).RequestLog())
    EXPECT_EQ(frame[frame::kIndex] & frame::kWriteFlag, 0) << "a write was sent to a unit already done";
}

TEST_F(BenchTest, OverridesAreAppliedBySerialNumber) {
  std::ofstream(Path("sites.csv")) << "serial,SCV,Channels[0][0].CC\n0100000041,480,900\n";
  SimulatedBench ports(2);
  StartBench(ports, R"("overrides": "sites.csv")");
  ports.Port(1).Plug(SimulatedBench::Unit(0x01000029));  // shown as 0100000041
  ports.Port(2).Plug(SimulatedBench::Unit(0x01000030));
  Next(2);
  for (const auto& record : observer_.Records()) EXPECT_EQ(record.result, Outcome::Done) << record.reason;
  EXPECT_EQ(ports.Port(1).Config().SCV(), 480);
  EXPECT_EQ(ports.Port(1).Config().Channel(0, 0).CC(), 900);
  EXPECT_EQ(ports.Port(2).Config().SCV(), JobBlock().SCV());
  EXPECT_EQ(ports.Port(2).Config().Channel(0, 0).CC(), JobBlock().Channel(0, 0).CC());
}

// Every unit plugged gets one record and a result, also when it cannot be provisioned: a
// product of no known type, a unit that falls silent after its identification, a unit that
// keeps none of its values (named in one short line).
TEST_F(BenchTest, EveryPlugGetsOneResultWithItsReasonInOneLine) {
  SimulatedBench ports(3);
  StartBench(ports);
  sim::ControllerSetup unknown = SimulatedBench::Unit(0x01000071);
  unknown.config.SetProductID(0x7A7A70);
  unknown.memory = sim::FactoryMemory(unknown);
  ports.Port(1).Plug(unknown);
  ASSERT_TRUE(observer_.WaitForRecords(1));
  const auto refused = observer_.Records()[0];
  EXPECT_EQ(refused.result, Outcome::Refused) << refused.reason;
  EXPECT_EQ(refused.port, "COM1");
  EXPECT_EQ(refused.productCode, 0x7A7A70u);
  EXPECT_EQ(refused.reason, "unknown product code 0x7A7A70");

  sim::ControllerSetup silent = SimulatedBench::Unit(0x01000072);
  silent.answerLimit = 1;  // its identification, then nothing
  ports.Port(2).Plug(silent);
  ASSERT_TRUE(observer_.WaitForRecords(2));
  const auto unread = observer_.Records()[1];
  EXPECT_EQ(unread.result, Outcome::Unreadable) << unread.reason;
  EXPECT_EQ(unread.port, "COM2");
  EXPECT_FALSE(unread.reason.empty());

  sim::ControllerSetup keeping = SimulatedBench::Unit(0x01000073);
  for (uint8_t code :
       {command::kBattOVP, command::kBattUVR, command::kLightControl, command::kChannelCC, command::kChannelTiming})
    keeping.alterations[code] = {sim::AlterKind::Keep};
  ports.Port(3).Plug(keeping);
  ASSERT_TRUE(observer_.WaitForRecords(3));
  const auto failed = observer_.Records()[2];
  EXPECT_EQ(failed.result, Outcome::Failed);
  EXPECT_EQ(failed.reason.find('\n'), std::string::npos) << failed.reason;
  EXPECT_NE(failed.reason.find("BattOVP: wrote"), std::string::npos) << failed.reason;
  EXPECT_NE(failed.reason.find("and 1 more fields"), std::string::npos) << failed.reason;

  // Each stays on its port as one plug: no second record while they are there.
  const size_t seen = observer_.StateCount();
  for (int n = 1; n <= 3; ++n) ports.Port(n).Unplug();
  for (const char* port : {"COM1", "COM3"}) ASSERT_TRUE(observer_.WaitForPhase(port, PortPhase::Waiting, seen));
  bench_->Stop();
  EXPECT_EQ(records_->Records().size(), 3u);
  EXPECT_EQ(bench_->Counts().unreadable, 1);
}

// A port that another program holds says who holds it; a port busy for a moment while its
// unit stays is not a removal (two benches looking at the same ports).
TEST_F(BenchTest, AHeldPortNamesItsHolderAndABusyMomentIsNoRemoval) {
  SimulatedBench ports(2);
  auto held = std::make_unique<HeldElsewhere>(ports.Port(1).Path());
  StartBench(ports);
  const std::string holder = "(pid " + std::to_string(held->Pid()) + ")";
  ASSERT_TRUE(observer_.WaitForState([&](const PortState& state) {
    return state.port == "COM1" && state.heldBy && state.heldBy->find(holder) != std::string::npos;
  })) << "the holder was not named";
  EXPECT_EQ(PortStateText(observer_.States().back()).rfind("held by ", 0), 0u);
  held->LetGo();
  ports.Port(1).Plug(SimulatedBench::Unit(0x01000081));
  EXPECT_EQ(Next(1).result, Outcome::Done);
  EXPECT_FALSE(observer_.States().back().heldBy.has_value()) << "no longer held";

  ports.Port(2).Plug(SimulatedBench::Unit(0x01000082));
  EXPECT_EQ(Next(2).result, Outcome::Done);
  {
    HeldElsewhere busy(ports.Port(2).Path());
    ASSERT_TRUE(clock_.WaitForWaits(clock_.Waits() + 6)) << "the bench stopped looking";  // several looks
  }
  const size_t seen = observer_.StateCount();
  ports.Port(2).Unplug();
  ASSERT_TRUE(observer_.WaitForPhase("COM2", PortPhase::Waiting, seen));
  bench_->Stop();
  EXPECT_EQ(records_->Records().size(), 2u) << "the busy moment made a second record";
}

// A unit that restarts at the end of its write holds the job when it answers again: it is read
// back and recorded as done, once.
TEST_F(BenchTest, AUnitRestartedDuringItsWriteIsRecordedByWhatItHolds) {
  SimulatedBench ports(1);
  StartBench(ports);
  sim::ControllerSetup restarting = SimulatedBench::Unit(0x01000091);
  restarting.vanishAfterWrites =
      static_cast<unsigned>(PlanWrite(job_.BlockFor(restarting.serialNumber, restarting.config)).size());
  const size_t since = observer_.StateCount();
  ports.Port(1).Plug(restarting);
  ASSERT_TRUE(observer_.WaitForPhase("COM1", PortPhase::Verifying, since));
  ASSERT_FALSE(ports.Port(1).Plugged()) << "the unit never went away";
  // Away for a few looks of the bench, as long as a controller takes to start again.
  ASSERT_TRUE(clock_.WaitForWaits(clock_.Waits() + 3));
  sim::ControllerSetup back = SimulatedBench::Unit(0x01000091);
  back.config = ports.Port(1).Config();
  ports.Port(1).Plug(back);
  const auto record = Next(1);
  EXPECT_EQ(record.result, Outcome::Done) << record.reason;
  const size_t seen = observer_.StateCount();
  ports.Port(1).Unplug();
  ASSERT_TRUE(observer_.WaitForPhase("COM1", PortPhase::Waiting, seen));
  bench_->Stop();
  EXPECT_EQ(records_->Records().size(), 1u);
}

// A unit that goes away once its write ended, and stays away, was interrupted: it is looked for as
// long as a restart takes, then the port waits for the next unit.
TEST_F(BenchTest, AUnitUnpluggedDuringItsVerificationIsInterrupted) {
  SimulatedBench ports(1);
  StartBench(ports);
  sim::ControllerSetup leaving = SimulatedBench::Unit(0x010000A1);
  leaving.vanishAfterWrites =
      static_cast<unsigned>(PlanWrite(job_.BlockFor(leaving.serialNumber, leaving.config)).size());
  const uint64_t before = clock_.NowMs();
  ports.Port(1).Plug(leaving);
  const auto record = Next(1);
  EXPECT_EQ(record.result, Outcome::Interrupted) << record.reason;
  EXPECT_EQ(record.reason, "the unit stopped answering while it was written");
  EXPECT_TRUE(record.after.empty()) << "nothing was read back";
  EXPECT_GE(clock_.NowMs() - before, 10000u) << "given up before a restart could end";
  // It is gone already: the port waits for the next unit instead of its removal.
  EXPECT_TRUE(observer_.WaitForState([](const PortState& state) {
    return state.phase == PortPhase::Waiting && state.result == Outcome::Interrupted;
  }));
  for (const PortState& state : observer_.States()) EXPECT_NE(state.phase, PortPhase::Unplug);
  bench_->Stop();
  EXPECT_EQ(bench_->Counts().interrupted, 1);
}

// Another program that holds the records file longer than the bench waits for it: the unit, written
// already, is named as not recorded and the bench stops.
TEST_F(BenchTest, ARecordsLockHeldLongerThanTheBusyWaitNamesTheUnitNotRecorded) {
  store::DatabaseTimeouts quick;
  quick.busy = std::chrono::milliseconds(200);  // the product waits 30 s
  records_ =
      std::make_unique<store::RecordStore>(Path("commissioning.db"), Path("spool.db"), store::RecordStore::Use::Bench,
                                           store::RecordStore::kDefaultRetry, quick);
  const auto holder = store::OpenDatabase(Path("commissioning.db"));
  holder->Exec("BEGIN IMMEDIATE");  // another program writes and never ends
  SimulatedBench ports(1);
  StartBench(ports);
  ports.Port(1).Plug(SimulatedBench::Unit(0x01000062));
  ASSERT_TRUE(observer_.WaitForUnit(0x01000062));
  holder->Exec("ROLLBACK");
  const auto faults = observer_.Faults();
  ASSERT_EQ(faults.size(), 1u);
  ASSERT_TRUE(faults[0].unit.has_value());
  EXPECT_EQ(faults[0].unit->result, Outcome::Done);
  EXPECT_EQ(FaultText(faults[0]).rfind("COM1 0100000098 done, not recorded: ", 0), 0u) << FaultText(faults[0]);
  EXPECT_NE(faults[0].error.find("database is locked"), std::string::npos) << faults[0].error;
  EXPECT_TRUE(observer_.Records().empty());
  EXPECT_EQ(ports.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "written before the record failed";
  bench_->WaitFinished();  // the fault stopped the bench
  EXPECT_FALSE(bench_->Running());
}

}  // namespace
}  // namespace lum
