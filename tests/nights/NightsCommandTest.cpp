// lumctl nights, alarms and plan over simulated weeks in a real records database: what they
// report, the exit status a monitoring system reads, hostile serials, bad sites, Chinese.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <sstream>

#include "base/TimeStamp.h"
#include "cli/Lumctl.h"
#include "data/ConfigFile.h"
#include "nights/SimulatedNights.h"
#include "store/Recordings.h"
#include "store/SqliteDatabase.h"

namespace lum::nights {
namespace {

constexpr char kHostileSerial[] = "=HYPERLINK(\"x\")\x1b[31m";

// As a person types it: to the second.
std::string TypedUtc(int64_t ms) {
  return UtcStamp(std::chrono::system_clock::time_point{std::chrono::milliseconds(ms)}).substr(0, 19);
}

class NightsCommandTest : public Lumctl {
 protected:
  void SetUp() override {
    WriteRaw("LUM.INI", "[Ports]\r\n");
    std::filesystem::copy_file(LUM_SOURCE_DIR "/lang/LUM_en.lng", Path("LUM_en.lng"));
    // The controller as the simulated one is set: the configuration file lumctl is given.
    const sim::SunWorldSetup setup = ParisLamp();
    const TCONFIG_BLOCK block = ParisLampBlock();
    SaveConfigFile(Path("lamp.LUM"), block);
    const NightRules rules = RulesOfBlock(block);
    ASSERT_EQ(rules.switchDelayMs, setup.switchDelayMs);
    ASSERT_DOUBLE_EQ(rules.cutVolts, setup.cutVolts);
    ASSERT_DOUBLE_EQ(rules.profile.ampereHours, setup.profile.ampereHours);

    sim::SunWorldSetup dead = setup;
    dead.deadLampNights = {2, 6};
    store::SqliteDatabase db(Path("lamps.db"));
    store::Recordings recordings(db);
    recordings.Add(recordings.Start("0A00000066"), Simulate(dead, 7).polls);
    recordings.Add(recordings.Start("0B00000077"), Simulate(setup, 7).polls);
    last_poll_ms_ = setup.startMs + 7 * kDayMs;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  int64_t last_poll_ms_ = 0;
};

TEST_F(NightsCommandTest, NightsListEachControllersNightsWithTheDeadOnes) {
  const Outcome json = Run("nights --db lamps.db --config lamp.LUM --serial 0A00000066 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const std::vector<std::string> lines = Lines(json.out);
  ASSERT_EQ(lines.size(), 7u);
  for (size_t k = 0; k < lines.size(); ++k) {
    const auto night = nlohmann::json::parse(lines[k]);
    EXPECT_EQ(night["serial_number"], "0A00000066");
    EXPECT_EQ(night["result"], k == 2 || k == 6 ? "did not light" : "lit") << k;
  }
  const Outcome csv = Run("nights --db lamps.db --config lamp.LUM --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(Lines(csv.out).size(), 1u + 14u);
  EXPECT_EQ(Run("nights --db lamps.db --since yesterday").status, 2);
  EXPECT_EQ(Run("nights --db absent.db").status, 1);
  EXPECT_EQ(Run("nights --db lamps.db --config lamps.db").status, 2) << "a database is no configuration file";
}

TEST_F(NightsCommandTest, AJobsThresholdsApplyOverLumIniButUnderTheControllersOwn) {
  const std::string at = " --now " + TypedUtc(last_poll_ms_ + 3 * kHourMs);
  const std::string fine = "alarms --db lamps.db --config lamp.LUM --serial 0B00000077 --severity info" + at;
  EXPECT_TRUE(Contains(Run(fine).out, "no data")) << "three hours without a poll, two by default";
  WriteRaw("job.json", R"({"config": "lamp.LUM", "nights": {"NoDataHours": 4}})");
  const Outcome patient = Run(fine + " --job job.json");
  EXPECT_EQ(patient.status, 0) << patient.out << patient.err;
  EXPECT_FALSE(Contains(patient.out, "no data")) << patient.out;
  WriteRaw("LUM.INI", "[Ports]\r\n[Nights 0B00000077]\r\nNoDataHours=2.5\r\n");
  EXPECT_TRUE(Contains(Run(fine + " --job job.json").out, "no data")) << "the controller's own section wins";

  WriteRaw("job.json", R"({"config": "lamp.LUM", "nights": {"NoDataHours": "soon"}})");
  const Outcome garbled = Run(fine + " --job job.json");
  EXPECT_EQ(garbled.status, 2);
  EXPECT_TRUE(Contains(garbled.err, "NoDataHours")) << garbled.err;
  EXPECT_TRUE(Contains(garbled.err, "job.json")) << garbled.err;
}

TEST_F(NightsCommandTest, AlarmsExitOneWhileAnAlarmOfTheChosenSeverityIsOpen) {
  const std::string at = " --now " + TypedUtc(last_poll_ms_ + kMinuteMs);
  const Outcome dead = Run("alarms --db lamps.db --config lamp.LUM --serial 0A00000066" + at);
  EXPECT_EQ(dead.status, 1) << "the last night was dark";
  EXPECT_TRUE(Contains(dead.out, "did not light")) << dead.out;
  EXPECT_TRUE(Contains(dead.out, "replace the lamp"));

  const Outcome fine = Run("alarms --db lamps.db --config lamp.LUM --serial 0B00000077" + at);
  EXPECT_EQ(fine.status, 0) << fine.out << fine.err;
  EXPECT_TRUE(Contains(fine.out, "0 alarms"));

  const std::string later = " --now " + TypedUtc(last_poll_ms_ + 5 * kHourMs);
  EXPECT_EQ(Run("alarms --db lamps.db --config lamp.LUM --serial 0B00000077" + later).status, 1) << "no data";
  EXPECT_EQ(Run("alarms --db lamps.db --config lamp.LUM --serial 0B00000077 --no-data-hours 6" + later).status, 0);
  EXPECT_EQ(Run("alarms --db lamps.db --severity fatal").status, 2);

  const Outcome chinese = Run("alarms --db lamps.db --config lamp.LUM --serial 0A00000066" + at, "zh_CN.UTF-8");
  EXPECT_EQ(chinese.status, 1);
  EXPECT_TRUE(Contains(chinese.out, "未亮灯")) << chinese.out;
  EXPECT_TRUE(Contains(chinese.out, "更换灯具"));
}

TEST_F(NightsCommandTest, ThresholdsOfLumIniForAllAndOneControllerGiveWayToTheCommandLine) {
  const std::string later = " --now " + TypedUtc(last_poll_ms_ + 5 * kHourMs);
  const std::string alarms = "alarms --db lamps.db --config lamp.LUM --serial 0B00000077" + later;
  WriteRaw("LUM.INI", "[Ports]\r\n[Nights]\r\nnodatahours = 6\r\n");
  EXPECT_EQ(Run(alarms).status, 0) << "six hours for every controller";
  WriteRaw("LUM.INI", "[Ports]\r\n[Nights]\r\nNoDataHours=6\r\n[Nights 0B00000077]\r\nNoDataHours=4\r\n");
  EXPECT_EQ(Run(alarms).status, 1) << "four for this one";
  EXPECT_EQ(Run(alarms + " --no-data-hours 6").status, 0) << "the command line wins";

  WriteRaw("LUM.INI", "[Ports]\r\n[Nights 0B00000077]\r\nNoDataHours=six\r\n");
  const Outcome garbled = Run(alarms);
  EXPECT_EQ(garbled.status, 2);
  EXPECT_TRUE(Contains(garbled.err, "[Nights 0B00000077] NoDataHours: 'six' is not a number above 0")) << garbled.err;
  WriteRaw("LUM.INI", "[Ports]\r\n[Nights]\r\nFadingNights=1\r\n");
  EXPECT_TRUE(Contains(Run(alarms).err, "FadingNights: '1' is not a whole number from 2 to 366"));
  WriteRaw("LUM.INI", "[Ports]\r\n[Nights]\r\nNoData=3\r\n");
  const Outcome unknown = Run(alarms);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(Contains(unknown.err, "NoData: not a threshold")) << unknown.err;
}

TEST_F(NightsCommandTest, HostileSerialIsNeutralisedForTerminalsAndSpreadsheets) {
  {
    store::SqliteDatabase db(Path("lamps.db"));
    store::Recordings recordings(db);
    recordings.Add(recordings.Start(kHostileSerial), Simulate(ParisLamp(), 2).polls);
  }
  const Outcome text = Run("nights --db lamps.db --config lamp.LUM");
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_FALSE(Contains(text.out, "\x1b")) << "no escape reaches the terminal";
  const Outcome csv = Run("nights --db lamps.db --config lamp.LUM --csv");
  EXPECT_TRUE(Contains(csv.out, "\"'=HYPERLINK(\"\"x\"\")")) << csv.out.substr(0, 400);
  const Outcome json = Run("nights --db lamps.db --config lamp.LUM --json");
  EXPECT_TRUE(Contains(json.out, "\\u001b")) << "kept, escaped";
}

TEST_F(NightsCommandTest, PlanWritesTwelveMonthsAsCsvAndPngAndRefusesBadSites) {
  const Outcome plan = Run("plan --config lamp.LUM --site 51.51,-0.13 --capacity 40 --csv plan.csv --png plan.png");
  ASSERT_EQ(plan.status, 0) << plan.err;
  const std::vector<std::string> rows = Lines(ReadWholeFile(Path("plan.csv")));
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_EQ(rows[12].rfind("12,9", 0), 0u) << "a London December night lasts over nine hundred minutes: " << rows[12];
  EXPECT_EQ(ReadWholeFile(Path("plan.png")).substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));

  const Outcome recorded = Run("plan --config lamp.LUM --site 48.85,2.35 --capacity 40 --db lamps.db");
  ASSERT_EQ(recorded.status, 0) << recorded.err;
  EXPECT_TRUE(Contains(Lines(recorded.out)[3], ",14,")) << "two lamps' March nights: " << Lines(recorded.out)[3];

  for (const char* site : {"91,0", "51.5", "abc,def", "nan,0", "0,181"})
    EXPECT_EQ(Run(std::string("plan --config lamp.LUM --capacity 40 --site ") + site).status, 2) << site;
  EXPECT_EQ(Run("plan --site 51.5,0 --capacity 40").status, 2) << "no programme to plan";
  EXPECT_EQ(Run("plan --config lamp.LUM --site 51.5,0 --capacity 40 --png .").status, 1) << "a folder is no file";
  EXPECT_EQ(Run("plan --config lamp.LUM --site 51.5,0 --capacity -4").status, 2);
}

}  // namespace
}  // namespace lum::nights
