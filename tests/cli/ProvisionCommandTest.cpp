// lumctl job check, provision and records against simulated units on mapped ports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/Lumctl.h"
#include "provision/JobFile.h"
#include "sim/Simulator.h"
#include "store/Database.h"
#include "store/RecordStore.h"
#include "support/BenchSupport.h"

namespace lum {
namespace {

class LumctlProvision : public Lumctl {
 protected:
  void MapPorts(SimulatedBench& bench, int count) {
    std::vector<std::pair<std::string, std::string>> ports;
    for (int n = 1; n <= count; ++n) ports.emplace_back(ComName(n), bench.Port(n).Path());
    Lumctl::MapPorts(ports);
  }
};

TEST_F(LumctlProvision, JobCheckTellsWhatEachUnitGets) {
  WriteRaw("sites.csv", "serial,SCV\n0100000041,480\n");
  WriteJobFiles(dir_.string(), R"("overrides": "sites.csv", "minFirmware": "1.2.3")");
  const auto checked = Run("job check job.json");
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_TRUE(Contains(checked.out, "Job: street")) << checked.out;
  EXPECT_TRUE(Contains(checked.out, "Minimum firmware: 1.2.3.0")) << checked.out;
  EXPECT_TRUE(Contains(checked.out, "0100000041: SCV 520 -> 480")) << checked.out;

  const auto json = Run("job check job.json --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const auto job = nlohmann::json::parse(json.out);
  EXPECT_EQ(job["job"], "street");
  EXPECT_EQ(job["minimum_firmware"], "1.2.3.0");
  EXPECT_TRUE(job["upgrade_file"].is_null());
  ASSERT_EQ(job["units"].size(), 1u);
  EXPECT_EQ(job["units"][0]["serial_number"], "0100000041");
  EXPECT_EQ(job["units"][0]["changes"], nlohmann::json::parse(R"([{"field": "SCV", "from": 520, "to": 480}])"));

  WriteRaw("sites.csv", "serial,SCV\n0100000041,too much\n");
  const auto bad = Run("job check job.json");
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(Contains(bad.err, "sites.csv line 2")) << bad.err;
}

// A job, or a file it names, that is a pipe, a device, a folder or too large is refused
// unread: neither command waits for a writer or fills the memory.
TEST_F(LumctlProvision, JobFilesThatAreNotRegularOrTooLargeAreRefused) {
  WriteRaw("LUM.INI", "[Ports]\r\n");
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);
  std::filesystem::create_directory(Path("folder"));
  WriteRaw("big.json", R"({"name": "big", "config": "night.LUM")" + std::string(kMaxJobFileBytes, ' ') + "}");
  for (const char* job : {"pipe", "/dev/zero", "folder", "big.json"}) {
    for (const std::string& command : {std::string("job check ") + job, std::string("provision --count 1 ") + job}) {
      const auto refused = Run(command);
      EXPECT_EQ(refused.status, 2) << command << ": " << refused.err;
      EXPECT_TRUE(Contains(refused.err, job)) << command << ": " << refused.err;
    }
  }
  // The files the job names: its configuration and its overrides.
  WriteJobFiles(dir_.string(), R"("overrides": "pipe")");
  const auto overrides = Run("job check job.json");
  EXPECT_EQ(overrides.status, 2);
  EXPECT_TRUE(Contains(overrides.err, "pipe: it is a named pipe (FIFO), not a regular file")) << overrides.err;
  WriteRaw("job.json", R"({"config": "/dev/zero"})");
  const auto config = Run("job check job.json");
  EXPECT_EQ(config.status, 2);
  EXPECT_TRUE(Contains(config.err, "/dev/zero: it is a character device")) << config.err;
  WriteRaw("job.json", R"({"config": "big.json"})");
  const auto large = Run("job check job.json");
  EXPECT_EQ(large.status, 2);
  EXPECT_TRUE(Contains(large.err, "big.json: the file is too large")) << large.err;
}

// A unit would be refused every write of a value outside its range: the job is refused at
// once, naming each value and where it comes from.
TEST_F(LumctlProvision, JobCheckRefusesValuesOutsideTheirRanges) {
  WriteRaw("sites.csv", "serial,Channels[0][0].Timing[1].Power,Channels[0][0].Mode\n0100000041,255,127\n");
  WriteJobFiles(dir_.string(), R"("overrides": "sites.csv")");
  const auto checked = Run("job check job.json");
  EXPECT_EQ(checked.status, 2);
  EXPECT_TRUE(Contains(checked.err,
                       "sites.csv line 2: Channels[0][0].Timing[1].Power: 255 % is outside its range 0 % "
                       "to 100 %"))
      << checked.err;
  EXPECT_TRUE(Contains(checked.err, "sites.csv line 2: Channels[0][0].Mode: 127 is outside its range 0 to 2"))
      << checked.err;
}

TEST_F(LumctlProvision, ProvisionRecordsEachUnitAndRecordsListsAndExportsThem) {
  SimulatedBench bench(2);
  MapPorts(bench, 2);
  WriteJobFiles(dir_.string(), R"("minFirmware": "1.2.3.5")");
  bench.Port(1).Plug(SimulatedBench::Unit(0x01000001));
  sim::ControllerSetup old = SimulatedBench::Unit(0x01000002);
  old.firmwareBuild = 1;
  bench.Port(2).Plug(old);

  const auto run = Run("provision job.json --count 2 --bench line-3 --operator ana");
  EXPECT_EQ(run.status, 1) << "a refused unit is not a success: " << run.out << run.err;
  EXPECT_TRUE(Contains(run.out, "COM1 0100000001 done")) << run.out;
  EXPECT_TRUE(Contains(run.out, "COM2 0100000002 refused: firmware 1.2.3.1 is older than 1.2.3.5")) << run.out;
  EXPECT_TRUE(Contains(run.out, "done 1, failed 0, refused 1")) << run.out;
  EXPECT_TRUE(std::filesystem::exists(Path("commissioning.db"))) << "beside LUM.INI by default";

  const auto csv = Run("records --csv");
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_TRUE(Contains(csv.out, "time_utc,bench,operator,port,job,config_hash,model,serial")) << csv.out;
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 3) << csv.out;

  const auto json = nlohmann::json::parse(Run("records --json --result done").out);
  ASSERT_EQ(json.size(), 1u);
  EXPECT_EQ(json[0]["serial"], "0100000001");
  EXPECT_EQ(json[0]["bench"], "line-3");
  EXPECT_EQ(json[0]["operator"], "ana");
  EXPECT_EQ(json[0]["after"].get<std::string>().size(), 2 * block_layout::kSize);

  EXPECT_TRUE(Contains(Run("records --job other").out, "0 records"));
  EXPECT_TRUE(Contains(Run("records --since 2999-01-01").out, "0 records"));
  EXPECT_EQ(Run("records --result maybe").status, 2);
}

// The unit is written and verified, then its record cannot be kept: the unit is named as not
// recorded, the bench stops and lumctl fails, instead of the process aborting.
TEST_F(LumctlProvision, AFullDiskAfterTheWriteNamesTheUnitNotRecorded) {
  if (std::system("unshare -rm true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no mount namespace for a small disk";
  SimulatedBench bench(1);
  MapPorts(bench, 1);
  WriteJobFiles(dir_.string());
  // The records' file as a bench leaves it, copied onto a disk with room for nothing but the
  // file: the record's journal and pages find no space.
  { store::RecordStore made(Path("seed.db"), Path("seed-spool.db")); }
  constexpr uintmax_t kPage = 4096;
  const uintmax_t disk = (std::filesystem::file_size(Path("seed.db")) + kPage - 1) / kPage * kPage;
  std::filesystem::create_directory(Path("disk"));
  const std::string smallDisk = "unshare -rm sh -c 'mount -t tmpfs -o size=" + std::to_string(disk) +
                                " none disk && cp seed.db disk/commissioning.db && exec \"$0\" \"$@\"' ";
  bench.Port(1).Plug(SimulatedBench::Unit(0x01000061));

  const auto run = Run("provision job.json --count 1 --db disk/commissioning.db", "C.UTF-8", smallDisk);
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_TRUE(Contains(run.out, "COM1 0100000097 done, not recorded: ")) << run.out;
  EXPECT_TRUE(Contains(run.err, "The bench stopped")) << run.err;
  EXPECT_TRUE(Contains(run.err, "COM1 0100000097 done, not recorded: ")) << run.err;
  EXPECT_TRUE(Contains(run.err, "database or disk is full")) << run.err;
  EXPECT_EQ(bench.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "written before the disk was found full";
}

}  // namespace
}  // namespace lum
