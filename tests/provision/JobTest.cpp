// Provisioning job files: what each unit gets (the job's configuration, its own overrides,
// its own product code and capabilities) and the messages for every kind of bad input.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "base/RegularFile.h"
#include "data/ConfigFile.h"
#include "data/ConfigJson.h"
#include "data/NewFileBlock.h"
#include "data/NumberFormats.h"
#include "data/TempDir.h"
#include "data/TypeTables.h"
#include "provision/Job.h"
#include "sim/SetupText.h"
#include "support/UpgradeTestSupport.h"
#include "upgrade/EffBuilder.h"

namespace lum {
namespace {

const uint32_t kRow1 = DeviceTypes()[1].ProductCode;
const uint32_t kRow0 = DeviceTypes()[0].ProductCode;

TCONFIG_BLOCK BaseBlock() {
  TCONFIG_BLOCK block = NewFileStartBlock();
  block.SetProductID(kRow1);
  block.SetSCV(500);
  block.Channel(0, 0).SetCC(1500);
  return block;
}

class JobTest : public TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    SaveConfigFile(Path("night.LUM"), BaseBlock());
  }
  std::string WriteJob(const std::string& json) {
    WriteRaw("job.json", json);
    return Path("job.json");
  }
  // The message of the JobError that loading the job raises.
  std::string LoadError(const std::string& json) {
    try {
      LoadJob(WriteJob(json));
    } catch (const JobError& e) {
      return e.what();
    }
    ADD_FAILURE() << "accepted: " << json;
    return {};
  }
};

TEST_F(JobTest, EachUnitGetsTheConfigurationWithItsOwnOverrides) {
  WriteRaw("sites.csv",
           "serial,SCV,Channels[0][0].CC\n"
           "0100000042,520,\n"
           "0A00000007, 480 ,1200\n");
  const ProvisioningJob job = LoadJob(WriteJob(R"({"config": "night.LUM", "overrides": "sites.csv",
      "products": ["0x)" + fmt::format("{:X}", kRow1) +
                                               R"(", )" + std::to_string(kRow0) + R"(], "minFirmware": "1.2.3"})"));
  EXPECT_EQ(job.name, "job") << "the file name without extension when no name is given";
  EXPECT_TRUE(job.Accepts(kRow1));
  EXPECT_TRUE(job.Accepts(kRow0));
  EXPECT_FALSE(job.Accepts(DeviceTypes()[2].ProductCode));
  EXPECT_EQ(job.minFirmware, (FirmwareLevel{123, 0}));

  TCONFIG_BLOCK unit;
  unit.SetProductID(kRow0);
  unit.SetCapFlags(0x48);
  const TCONFIG_BLOCK first = job.BlockFor(0x0100002A, unit);  // shown as 0100000042
  EXPECT_EQ(first.SCV(), 520);
  EXPECT_EQ(first.Channel(0, 0).CC(), 1500) << "an empty cell keeps the job's value";
  EXPECT_EQ(first.ProductID(), kRow0) << "the unit keeps its product code";
  EXPECT_EQ(first.CapFlags(), 0x48);

  const TCONFIG_BLOCK second = job.BlockFor(0x0A000007, unit);
  EXPECT_EQ(second.SCV(), 480);
  EXPECT_EQ(second.Channel(0, 0).CC(), 1200);

  const TCONFIG_BLOCK other = job.BlockFor(0x0A000008, unit);
  TCONFIG_BLOCK expected = BaseBlock();
  expected.SetProductID(kRow0);
  expected.SetCapFlags(0x48);
  EXPECT_EQ(other.bytes(), expected.bytes()) << "a unit without a line gets the job's configuration";
  EXPECT_NE(ConfigHash(first), ConfigHash(other));
  EXPECT_EQ(ConfigHash(other), ConfigHash(expected));
}

TEST_F(JobTest, ConfigurationMayBeLumctlJson) {
  std::ofstream(Path("night.json")) << BlockToJson(BaseBlock()).dump();
  const ProvisioningJob job = LoadJob(WriteJob(R"({"name": "Street 7", "config": "night.json"})"));
  EXPECT_EQ(job.name, "Street 7");
  EXPECT_EQ(job.base.bytes(), BaseBlock().bytes());
  EXPECT_EQ(job.products, std::vector<uint32_t>{kRow1}) << "by default the configuration's own product";
  EXPECT_FALSE(job.minFirmware);
}

TEST_F(JobTest, BadJobsAreRefusedWithTheirReason) {
  EXPECT_NE(LoadError("{nope").find("job.json"), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "colour": 1})").find("\"colour\""), std::string::npos);
  EXPECT_NE(LoadError(R"({"name": "x"})").find("\"config\""), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "missing.LUM"})").find("missing.LUM"), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "products": ["0x999990"]})").find("products[0]"), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "minFirmware": "1.23"})").find("minFirmware"), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "minFirmware": "1.2.3", "upgrade": "none.eff"})").find("none.eff"),
            std::string::npos);

  // An upgrade file is for units older than the minimum, must be one the loader takes, and
  // must install at least the minimum.
  const auto eff = BuildEff(test::EffFields{});  // firmware 1.2.3.7
  WriteRaw("new.eff", std::string(eff.begin(), eff.end()));
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "upgrade": "new.eff"})").find("minFirmware"), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "minFirmware": "1.2.4", "upgrade": "new.eff"})").find("1.2.3.7"),
            std::string::npos);
  WriteRaw("bad.eff", "EFF but nothing else");
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "minFirmware": "1.2.3", "upgrade": "bad.eff"})").find("bad.eff"),
            std::string::npos);
  WriteRaw("job.json", R"({"config": "night.LUM", "minFirmware": "1.2.3.7", "upgrade": "new.eff"})");
  const ProvisioningJob job = LoadJob(Path("job.json"));
  ASSERT_TRUE(job.upgrade);
  EXPECT_TRUE(job.upgrade->Accepted);
  EXPECT_EQ(job.upgrade->Version, 123);

  SaveConfigFile(Path("empty.LUM"), TCONFIG_BLOCK());
  EXPECT_NE(LoadError(R"({"config": "empty.LUM"})").find("no valid configuration"), std::string::npos);
  WriteRaw("broken.LUM", "LUM1.0 but not a block");
  EXPECT_NE(LoadError(R"({"config": "broken.LUM"})").find("broken.LUM"), std::string::npos);
}

TEST_F(JobTest, BadOverrideFilesNameTheLineAndField) {
  const std::string job = R"({"config": "night.LUM", "overrides": "sites.csv"})";
  const auto errorFor = [&](const std::string& csv) {
    WriteRaw("sites.csv", csv);
    return LoadError(job);
  };
  EXPECT_NE(errorFor("unit,SCV\n").find("line 1"), std::string::npos);
  EXPECT_NE(errorFor("serial,Colour\n").find("'Colour'"), std::string::npos);
  EXPECT_NE(errorFor("serial,Channels[0][9].CC\n").find("Channels[0][9].CC"), std::string::npos);
  EXPECT_NE(errorFor("serial,SCV\n0100000001,5.2\n").find("line 2"), std::string::npos);
  EXPECT_NE(errorFor("serial,SCV\n12345,520\n").find("'12345'"), std::string::npos);
  EXPECT_NE(errorFor("serial,SCV\n0100000001,520\n\n0100000001,530\n").find("line 4"), std::string::npos);
  const std::string range = errorFor("serial,SCV\n0100000001,70000\n");
  EXPECT_NE(range.find("line 2"), std::string::npos) << range;
  EXPECT_NE(range.find("SCV"), std::string::npos) << range;
}

TEST_F(JobTest, NightThresholdsAreCheckedAtLoadAndGarbledOnesNamed) {
  const ProvisioningJob job =
      LoadJob(WriteJob(R"({"config": "night.LUM", "nights": {"CutCriticalNights": 2, "NoDataHours": "5.5"}})"));
  EXPECT_EQ(job.nightThresholds, (nights::SettingEntries{{"CutCriticalNights", "2"}, {"NoDataHours", "5.5"}}));
  EXPECT_TRUE(LoadJob(WriteJob(R"({"config": "night.LUM"})")).nightThresholds.empty());

  const std::string garbled = LoadError(R"({"config": "night.LUM", "nights": {"FadingNights": "seven"}})");
  EXPECT_NE(garbled.find("FadingNights"), std::string::npos) << garbled;
  EXPECT_NE(garbled.find("job.json"), std::string::npos) << garbled;
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "nights": {"Brightness": 3}})").find("Brightness"), std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "nights": {"NoDataHours": -4}})").find("NoDataHours"),
            std::string::npos)
      << "out of range";
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "nights": {"NoDataHours": [1]}})").find("NoDataHours"),
            std::string::npos);
  EXPECT_NE(LoadError(R"({"config": "night.LUM", "nights": 3})").find("\"nights\""), std::string::npos);
}

TEST(SerialTextTest, ReadsWhatTheWindowShows) {
  for (uint32_t serial : {0u, 0x0100002Au, 0xAB00FFFFu, 0xFF98967Fu})
    EXPECT_EQ(ParseSerial(FormatSerial(serial)), serial) << FormatSerial(serial);
  EXPECT_EQ(ParseSerial("ab00000001"), 0xAB000001u);
  for (const char* bad : {"", "01", "0100000001x", "G100000001", "0116777216", "01-0000001"})
    EXPECT_FALSE(ParseSerial(bad)) << bad;
}

TEST(FirmwareLevelTest, ParsesAndOrdersVersionsAsShown) {
  EXPECT_EQ(ParseFirmwareLevel("1.2.3"), (FirmwareLevel{123, 0}));
  EXPECT_EQ(ParseFirmwareLevel("1.2.3.7"), (FirmwareLevel{123, 7}));
  for (const char* bad : {"", "1.2", "1.2.3.4.5", "1.10.3", "1..3", "a.b.c", "1.2.3 "})
    EXPECT_FALSE(ParseFirmwareLevel(bad)) << bad;
  EXPECT_LT(*ParseFirmwareLevel("1.2.3.9"), *ParseFirmwareLevel("1.2.4"));
  EXPECT_LT(*ParseFirmwareLevel("1.2.3"), *ParseFirmwareLevel("1.2.3.1"));
}

// The example job as the README and the demo plug units: every unit that sites.csv gives
// its own values is plugged, with firmware the job accepts, so that the example shows its
// overrides applied.
std::set<uint32_t> AcceptedSerials(const ProvisioningJob& job, const std::string& text, const std::regex& setups) {
  std::set<uint32_t> accepted;
  for (std::sregex_iterator it(text.begin(), text.end(), setups), end; it != end; ++it) {
    const sim::ControllerSetup setup = sim::ParseControllerSetup((*it)[1].str());
    if (!job.FirmwareTooOld(setup.firmwareVersion, setup.firmwareBuild)) accepted.insert(setup.serialNumber);
  }
  return accepted;
}

TEST(ExampleJob, TheReadmeAndTheDemoPlugTheUnitsThatHaveOverrides) {
  const std::string examples = LUM_SOURCE_DIR "/examples/provisioning/";
  const ProvisioningJob job = LoadJob(examples + "job.json");
  ASSERT_FALSE(job.overrides.Units().empty());
  const std::map<std::string, std::pair<std::string, std::regex>> sources = {
      {"README.md", {ReadWholeFile(LUM_SOURCE_DIR "/README.md"), std::regex(R"re(plug \d+ (\S+))re")}},
      {"tools/demo-provision",
       {ReadWholeFile(LUM_SOURCE_DIR "/tools/demo-provision"), std::regex(R"re(--controller "([^"]+)")re")}}};
  for (const auto& [name, source] : sources) {
    const std::set<uint32_t> accepted = AcceptedSerials(job, source.first, source.second);
    for (const UnitOverride& unit : job.overrides.Units())
      EXPECT_TRUE(accepted.count(unit.serialNumber))
          << name << " plugs no unit " << FormatSerial(unit.serialNumber) << " that the job accepts";
  }
}

}  // namespace
}  // namespace lum
