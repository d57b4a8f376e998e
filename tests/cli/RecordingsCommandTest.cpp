// lumctl recordings and records on the records database: what they export, and that reading
// never leaves an empty database behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/Lumctl.h"
#include "store/Database.h"
#include "store/RecordStore.h"
#include "store/Recordings.h"

namespace lum {
namespace {

// A portable folder: the records database lies beside LUM.INI.
class LumctlRecordings : public Lumctl {
 protected:
  void SetUp() override { WriteRaw("LUM.INI", "[Ports]\r\n"); }
};

constexpr int64_t kDecember8Ms = 1796688000000;  // 2026-12-08 00:00 UTC

PollSample Poll(int64_t timeMs, int64_t batteryMillivolts) {
  PollSample sample;
  sample.timeMs = timeMs;
  sample.raw[*PolledIndex(ValueId::BatteryVoltage)] = batteryMillivolts;
  return sample;
}

TEST_F(LumctlRecordings, ExportsThePollsOfTheChosenControllerSinceAGivenTime) {
  {
    const auto db = store::OpenDatabase(Path("commissioning.db"));
    store::Recordings recordings(*db);
    const int64_t first = recordings.Start("0A00000066");
    recordings.Add(first, {Poll(kDecember8Ms - 1000, 12500), Poll(kDecember8Ms, 12600)});
    const int64_t second = recordings.Start("0B00000077");
    recordings.Add(second, {Poll(kDecember8Ms + 1000, 13100)});
  }

  const Outcome listed = Run("recordings");
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_TRUE(Contains(listed.out, "0A00000066")) << listed.out;
  EXPECT_TRUE(Contains(listed.out, "  2 polls\n")) << listed.out;
  EXPECT_TRUE(Contains(listed.out, "  1 poll\n")) << listed.out;
  EXPECT_TRUE(Contains(listed.out, "\n2 recordings\n")) << listed.out;
  EXPECT_TRUE(Contains(Run("recordings --serial 0B00000077").out, "\n1 recording\n"));

  const Outcome exported = Run("recordings --serial 0A00000066 --since 2026-12-08 --csv");
  ASSERT_EQ(exported.status, 0) << exported.err;
  // The header, then the one poll of that controller at or after midnight; a value that did
  // not come stays empty.
  EXPECT_EQ(exported.out,
            "serial,time,power_on,temperature,battery_v,solar_v,load1_v,load1_a\n"
            "0A00000066,2026-12-08T00:00:00.000Z,,,12.600,,,\n");

  EXPECT_EQ(Run("recordings --since yesterday").status, 2);

  // For scripts: the list as one object per recording.
  const Outcome json = Run("recordings --serial 0B00000077 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const auto recording = nlohmann::json::parse(json.out);
  EXPECT_EQ(recording["serial_number"], "0B00000077");
  EXPECT_EQ(recording["first"], "2026-12-08T00:00:01.000Z");
  EXPECT_EQ(recording["polls"], 1);
  EXPECT_EQ(Run("recordings --json --csv").status, 2);
}

TEST_F(LumctlRecordings, ReadingCreatesNoDatabase) {
  for (const char* command :
       {"recordings", "recordings --csv", "records", "records --json", "recordings --db x.db", "records --db x.db"}) {
    const Outcome read = Run(command);
    EXPECT_EQ(read.status, 1) << command;
    EXPECT_TRUE(read.out.empty()) << command << ": " << read.out;
    EXPECT_TRUE(Contains(read.err, "no such database")) << command << ": " << read.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("commissioning.db")));
  EXPECT_FALSE(std::filesystem::exists(Path("x.db")));
}

// Texts that came from units and operators reach a terminal escaped and a spreadsheet as
// text; numbers stay numbers.
TEST_F(LumctlRecordings, RecordTextsCannotRewriteTheTerminalNorRunInASpreadsheet) {
  store::CommissioningRecord r;
  r.attemptId = store::NewAttemptId();
  r.timeUtc = "2026-12-08T10:00:00.000Z";
  r.bench = "-5.2";
  r.operatorName = "+cmd|' /C calc'!A0";
  r.port = "COM1";
  r.job = "street";
  r.model = "=HYPERLINK(\"http://x\")";
  r.serialNumber = 0x01000042;
  r.result = store::Outcome::Failed;
  r.reason = "@SUM(1+1)\x1b[2J\x1b]0;owned\x07";
  store::OpenRecordStore(dir_.string())->Add(r);

  const Outcome listed = Run("records");
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_FALSE(Contains(listed.out, "\x1b")) << "no escape sequence reaches the terminal";
  EXPECT_FALSE(Contains(listed.out, "\x07"));
  EXPECT_TRUE(Contains(listed.out, "@SUM(1+1)\\x1B[2J\\x1B]0;owned\\x07")) << listed.out;

  const Outcome csv = Run("records --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_TRUE(Contains(csv.out, ",-5.2,'+cmd|' /C calc'!A0,COM1,street,")) << csv.out;
  EXPECT_TRUE(Contains(csv.out, ",\"'=HYPERLINK(\"\"http://x\"\")\",0100000066,")) << csv.out;
  EXPECT_TRUE(Contains(csv.out, ",failed,'@SUM(1+1)")) << csv.out;
}

TEST_F(LumctlRecordings, RecordingSurvivesThisProcessLookingAtTheFilesAndAnotherReadingThem) {
  // The window records while a file dialog looks at the folder (it opens and closes every
  // file there, which drops this process's POSIX locks on them) and lumctl then reads the
  // recordings: every poll recorded afterwards must reach the file that others read, not a
  // journal that lumctl took away.
  const auto db = store::OpenDatabase(Path("commissioning.db"));
  store::Recordings recordings(*db);
  const int64_t id = recordings.Start("0A00000066");
  recordings.Add(id, {Poll(kDecember8Ms, 12500), Poll(kDecember8Ms + 1000, 12510)});

  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    const int fd = ::open(Path(std::string("commissioning.db") + suffix).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
  const Outcome first = Run("recordings");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Contains(first.out, " 2 polls")) << first.out;

  for (int64_t second = 2; second < 6; ++second) recordings.Add(id, {Poll(kDecember8Ms + second * 1000, 12500)});
  // Read by another process while the window still holds its handle: a crash of the window
  // now must lose nothing.
  const Outcome later = Run("recordings");
  ASSERT_EQ(later.status, 0) << later.err;
  EXPECT_TRUE(Contains(later.out, " 6 polls")) << later.out;
  EXPECT_EQ(recordings.Load(id).size(), 6u);
}

}  // namespace
}  // namespace lum
