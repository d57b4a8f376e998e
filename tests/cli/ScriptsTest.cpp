// lumctl for scripts: the JSON document's format and units, JSON lines from scan and monitor,
// the write target chosen by port.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Lumctl.h"
#include "data/ConfigFile.h"
#include "sim/Simulator.h"

namespace lum {
namespace {

using nlohmann::json;

class LumctlScripts : public Lumctl {
 protected:
  static std::vector<json> JsonLines(const std::string& text) {
    std::vector<json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    return lines;
  }
  sim::Simulator simulator;
};

TEST_F(LumctlScripts, ShowJsonNamesItsFormatVersionAndUnits) {
  SaveConfigFile(Path("in.LUM"), DualChannelBlock());
  const Outcome shown = Run("show --json in.LUM");
  ASSERT_EQ(shown.status, 0) << shown.err;
  const json doc = json::parse(shown.out);
  EXPECT_EQ(doc["Format"], "lum-config");
  EXPECT_EQ(doc["FormatVersion"], 1);
  EXPECT_EQ(doc["Units"]["BattOVP"], "mV");
  EXPECT_EQ(doc["Units"]["SCV"], "10 mV");
  EXPECT_EQ(doc["Units"]["Channels[][].Timing[].Minutes"], "min");
  EXPECT_EQ(doc["BattOVP"], DualChannelBlock().BattOVP());

  // pack reads it, and the documents written before the format had a name.
  WriteRaw("new.json", shown.out);
  EXPECT_EQ(Run("pack new.json new.LUM").status, 0);
  json old = doc;
  old.erase("Format");
  old.erase("FormatVersion");
  old.erase("Units");
  WriteRaw("old.json", old.dump());
  EXPECT_EQ(Run("pack old.json old.LUM").status, 0);
  EXPECT_EQ(ReadWholeFile(Path("new.LUM")), ReadWholeFile(Path("in.LUM")));
  EXPECT_EQ(ReadWholeFile(Path("old.LUM")), ReadWholeFile(Path("in.LUM")));

  json newer = doc;
  newer["FormatVersion"] = 2;
  WriteRaw("newer.json", newer.dump());
  const Outcome refused = Run("pack newer.json x.LUM");
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(Contains(refused.err, "FormatVersion: 2 is newer")) << refused.err;
  json other = doc;
  other["Format"] = "something-else";
  WriteRaw("other.json", other.dump());
  EXPECT_EQ(Run("pack other.json x.LUM").status, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("x.LUM")));
}

TEST_F(LumctlScripts, ScanJsonPrintsOneObjectPerControllerRead) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.model = "LS-2420D";
  sim::Controller& controller = simulator.AddController(setup);
  simulator.Start();
  MapPorts({{"COM2", controller.Path()}});

  const Outcome scanned = Run("scan --json");

  ASSERT_EQ(scanned.status, 0) << scanned.err;
  const auto lines = JsonLines(scanned.out);  // nothing but JSON on stdout
  ASSERT_EQ(lines.size(), 1u) << scanned.out;
  EXPECT_EQ(lines[0]["port"], "COM2");
  EXPECT_EQ(lines[0]["model"], "LS-2420D");
  EXPECT_EQ(lines[0]["product_id"], setup.config.ProductID());
  EXPECT_FALSE(lines[0]["serial_number"].get<std::string>().empty());
  EXPECT_TRUE(Contains(scanned.err, "Open port @COM2.")) << scanned.err;
}

TEST_F(LumctlScripts, MonitorJsonPrintsOneObjectPerPoll) {
  sim::ControllerSetup setup = sim::DefaultSetup(0);
  setup.measurements.powerOnSeconds = 3665;
  sim::Controller& controller = simulator.AddController(setup);
  simulator.Start();
  MapPorts({{"COM1", controller.Path()}});

  const Outcome monitored = Run("monitor COM1 --count 2 --json");

  ASSERT_EQ(monitored.status, 0) << monitored.err;
  const auto lines = JsonLines(monitored.out);
  ASSERT_EQ(lines.size(), 2u);
  for (const json& line : lines) {
    EXPECT_TRUE(line["time"].is_string());
    EXPECT_GE(line["power_on_s"].get<int>(), 3665);
    EXPECT_TRUE(line["battery_v"].is_number()) << line.dump();
    EXPECT_TRUE(line["temperature"].is_number()) << line.dump();
  }
  EXPECT_EQ(Run("monitor COM1 --count 1 --json --csv").status, 2);
}

TEST_F(LumctlScripts, WritePortChoosesAmongControllersOfOneProduct) {
  sim::Controller& first = simulator.AddController(sim::DefaultSetup(0));
  sim::Controller& second = simulator.AddController(sim::DefaultSetup(0));
  simulator.Start();
  MapPorts({{"COM1", first.Path()}, {"COM2", second.Path()}});
  TCONFIG_BLOCK block = sim::DefaultSetup(0).config;
  block.Channel(0, 0).Timing(2).SetMinutes(123);
  SaveConfigFile(Path("a.LUM"), block);

  const Outcome written = Run("write a.LUM --port COM2");

  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(second.Config().Channel(0, 0).Timing(2).Minutes(), 123);
  EXPECT_NE(first.Config().Channel(0, 0).Timing(2).Minutes(), 123);
  EXPECT_TRUE(first.RequestLog().empty());
  EXPECT_EQ(Run("write a.LUM --port /dev/ttyS0").status, 2);
  EXPECT_EQ(Run("write a.LUM --port COM5").status, 1);  // no controller there
}

}  // namespace
}  // namespace lum
