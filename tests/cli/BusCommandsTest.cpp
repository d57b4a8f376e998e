// lumctl on a bus of simulated controllers: choosing the bus, scanning it, writing one
// controller of it and giving a controller its address.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "Lumctl.h"
#include "data/ConfigFile.h"
#include "sim/ControllerSetup.h"
#include "sim/Simulator.h"

namespace lum {
namespace {

sim::ControllerSetup Unit(uint8_t address, uint32_t serial) { return sim::BusUnit(1, address, serial); }

class LumctlBus : public Lumctl {
 protected:
  LumctlBus() { std::filesystem::copy_file(LUM_SOURCE_DIR "/lang/LUM_en.lng", Path("LUM_en.lng")); }
  sim::Controller& Bus(const std::vector<sim::ControllerSetup>& units) {
    sim::Controller& bus = simulator.AddBus(units.front(), units);
    simulator.Start();
    MapPorts({{"COM3", bus.Path()}});
    return bus;
  }
  sim::Simulator simulator;
};

TEST_F(LumctlBus, BadBusChoicesAreRefusedNamingWhatIsWrong) {
  MapPorts({{"COM3", Path("no-tty")}});
  for (const auto& [choice, says] :
       std::vector<std::pair<std::string, std::string>>{{"COM3:0-4", "bus address 0 is outside 1..255"},
                                                        {"COM3:1-300", "bus address 300 is outside 1..255"},
                                                        {"COM3:9-2", "bus range 9-2 runs backwards"},
                                                        {"COM3:1-x", "\"x\" is not a bus address"},
                                                        {"COM3", "is not PORT:ADDRESSES"},
                                                        {"LPT1:1-4", "LPT1 is not a port name"}}) {
    const Outcome refused = Run("--bus '" + choice + "' scan");
    EXPECT_EQ(refused.status, 2) << choice;
    EXPECT_TRUE(Contains(refused.err, says)) << choice << ": " << refused.err;
  }
  WriteRaw("LUM.INI", "[Ports]\r\nCOM3=" + Path("no-tty") + "\r\n[Bus]\r\nCOM3=5-1\r\n");
  const Outcome badIni = Run("scan");
  EXPECT_NE(badIni.status, 0);
  EXPECT_TRUE(Contains(badIni.err, "[Bus] COM3=5-1: bus range 5-1 runs backwards")) << badIni.err;
}

TEST_F(LumctlBus, ScanListsEachControllerOfTheBusByPortAndAddress) {
  Bus({Unit(2, 0x02), Unit(4, 0x04), Unit(4, 0x14)});
  const Outcome scanned = Run("scan --json --bus COM3:1-4");
  EXPECT_EQ(scanned.status, 0) << scanned.err;
  std::istringstream lines(scanned.out);
  std::vector<nlohmann::json> found;
  for (std::string line; std::getline(lines, line);) found.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(found.size(), 1u) << scanned.out;
  EXPECT_EQ(found[0]["port"], "COM3");
  EXPECT_EQ(found[0]["address"], 2);
  EXPECT_TRUE(Contains(scanned.err, "Connected device is"));
  EXPECT_TRUE(Contains(scanned.err, "@COM3 #2")) << scanned.err;
  // Two controllers at 4: named, not listed; in Chinese too.
  EXPECT_TRUE(Contains(scanned.err, "Scan bus @COM3:: address 4 answers garbled: two controllers may share it"))
      << scanned.err;
  const Outcome chinese = Run("scan --bus COM3:4", "zh_CN.UTF-8");
  EXPECT_EQ(chinese.status, 1);
  EXPECT_TRUE(Contains(chinese.out, "扫描总线 @COM3:: 地址 4 回复混乱：可能有两台控制器共用此地址")) << chinese.out;
}

TEST_F(LumctlBus, AWriteGoesToTheNamedAddressAlone) {
  sim::Controller& bus = Bus({Unit(5, 0x05), Unit(6, 0x06)});
  const TCONFIG_BLOCK sixBefore = *bus.UnitConfig(1);
  TCONFIG_BLOCK file = *bus.UnitConfig(0);
  file.SetBattFCV(static_cast<uint16_t>(file.BattFCV() + 20));
  SaveConfigFile(Path("five.LUM"), file);

  const Outcome written = Run("--bus COM3:5-6 write five.LUM --port COM3 --address 5");
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(bus.UnitConfig(0)->BattFCV(), file.BattFCV());
  EXPECT_EQ(bus.UnitConfig(1)->bytes(), sixBefore.bytes());

  const Outcome noOne = Run("--bus COM3:5-6 write five.LUM --port COM3 --address 7");
  EXPECT_EQ(noOne.status, 1);
  EXPECT_TRUE(Contains(noOne.err, "No controller of this product found on COM3 #7")) << noOne.err;
}

TEST_F(LumctlBus, AnAddressAlreadyAnsweringIsRefusedAndAFreeOneIsVerified) {
  sim::Controller& bus = Bus({Unit(1, 0x01), Unit(7, 0x07)});
  const Outcome taken = Run("--bus COM3:1-8 address set COM3 --from 1 --to 7");
  EXPECT_EQ(taken.status, 1);
  EXPECT_TRUE(Contains(taken.err, "Address 7 already answers: nothing was changed.")) << taken.err;
  EXPECT_EQ(bus.UnitConfig(0)->Address(), 1);

  const Outcome noFrom = Run("--bus COM3:1-8 address set COM3 --to 9");
  EXPECT_EQ(noFrom.status, 2);
  EXPECT_TRUE(Contains(noFrom.err, "--from")) << noFrom.err;

  const Outcome set = Run("--bus COM3:1-8 address set COM3 --from 1 --to 9");
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_TRUE(Contains(set.out, "The controller now answers at address 9.")) << set.out;
  EXPECT_EQ(bus.UnitConfig(0)->Address(), 9);
  EXPECT_EQ(bus.UnitConfig(1)->Address(), 7);
}

TEST_F(LumctlBus, TheMonitorWatchesTheControllerAtTheGivenAddressOnly) {
  sim::Controller& bus = Bus({Unit(2, 0x02), Unit(4, 0x04)});
  const Outcome watched = Run("--bus COM3:2,4 monitor COM3 --address 4 --count 2 --csv");
  ASSERT_EQ(watched.status, 0) << watched.err;
  std::istringstream rows(watched.out);
  int lines = 0;
  for (std::string line; std::getline(rows, line);) ++lines;
  EXPECT_EQ(lines, 3) << watched.out;
  EXPECT_TRUE(bus.UnitLog(0).empty());
  EXPECT_EQ(bus.UnitLog(1).size(), 12u);

  const Outcome single = Run("monitor COM3 --address 4 --count 1");
  EXPECT_EQ(single.status, 2);
  EXPECT_TRUE(Contains(single.err, "COM3 is not a bus")) << single.err;
}

// Without --address the monitor goes round the controllers a scan of the bus found, each line
// naming its controller and carrying its values (a link takes a reply only from the address
// asked); an address of the range where none answers is not polled.
TEST_F(LumctlBus, TheMonitorOfAWholeBusGoesRoundEveryControllerFound) {
  Bus({Unit(2, 0x02), Unit(4, 0x04)});
  const Outcome csv = Run("--bus COM3:1-4 monitor COM3 --count 2 --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  std::istringstream rows(csv.out);
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(rows, line);) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    lines.push_back(fields);
  }
  ASSERT_EQ(lines.size(), 5u) << csv.out;
  EXPECT_EQ(lines[0], (std::vector<std::string>{"time", "port", "address", "power_on_s (s)", "power_on (h:mm:ss)",
                                                "battery_v (V)", "solar_v (V)", "load1_v (V)", "load1_a (A)",
                                                "temperature (°C)"}));
  const char* addresses[] = {"2", "4", "2", "4"};
  for (size_t row = 1; row < lines.size(); ++row) {
    ASSERT_EQ(lines[row].size(), lines[0].size()) << csv.out;
    EXPECT_EQ(lines[row][1], "COM3");
    EXPECT_EQ(lines[row][2], addresses[row - 1]);
    EXPECT_FALSE(lines[row][5].empty()) << "no battery value from " << addresses[row - 1];
  }

  const Outcome people = Run("--bus COM3:1-4 monitor COM3 --count 1");
  ASSERT_EQ(people.status, 0) << people.err;
  EXPECT_TRUE(Contains(people.out, "COM3 #2:  Power-on")) << people.out;
  EXPECT_TRUE(Contains(people.out, "COM3 #4:  Power-on")) << people.out;

  const Outcome json = Run("--bus COM3:4 monitor COM3 --count 1 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const auto line = nlohmann::json::parse(json.out);
  EXPECT_EQ(line["port"], "COM3");
  EXPECT_EQ(line["address"], 4);
  EXPECT_TRUE(line["battery_v"].is_number()) << json.out;
}

// A controller that falls silent after the scan found it: its lines show its values missing,
// the others' go on, and the run is a success since polls were answered.
TEST_F(LumctlBus, AControllerVanishingFromTheBusShowsMissingValuesWhileTheOthersGoOn) {
  sim::Controller& counted = Bus({Unit(2, 0x02)});
  ASSERT_EQ(Run("--bus COM3:2 scan").status, 0);
  sim::ControllerSetup fading = Unit(2, 0x02);
  fading.answerLimit = static_cast<uint32_t>(counted.UnitLog(0).size());  // the scan's answers, then silence
  sim::Simulator line;
  sim::Controller& bus = line.AddBus(fading, {fading, Unit(4, 0x04)});
  line.Start();
  MapPorts({{"COM3", bus.Path()}});

  const Outcome csv = Run("--bus COM3:2,4 monitor COM3 --count 1 --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  std::istringstream rows(csv.out);
  std::vector<std::string> lines;
  for (std::string row; std::getline(rows, row);) lines.push_back(row);
  ASSERT_EQ(lines.size(), 3u) << csv.out;
  EXPECT_TRUE(lines[1].ends_with(",COM3,2,,,,,,,")) << lines[1];
  EXPECT_TRUE(Contains(lines[2], ",COM3,4,") && !lines[2].ends_with(",,")) << lines[2];
}

TEST_F(LumctlBus, AWholeBusIsNotRecordedAndAnEmptyBusIsNotWatched) {
  sim::Controller& bus = Bus({Unit(2, 0x02)});
  const Outcome recorded = Run("--bus COM3:2 monitor COM3 --count 1 --db polls.db");
  EXPECT_EQ(recorded.status, 2);
  EXPECT_TRUE(Contains(recorded.err, "--db records one controller, name it with --address")) << recorded.err;
  EXPECT_TRUE(bus.UnitLog(0).empty());

  const Outcome empty = Run("--bus COM3:5-6 monitor COM3 --count 1");
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(Contains(empty.err, "No controller answered on the bus COM3: nothing to watch.")) << empty.err;
}

}  // namespace
}  // namespace lum
