#include <gtest/gtest.h>

#include "link/PortNames.h"
#include "link/SerialDevices.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

TEST(ComNames, NameAndNumber) {
  EXPECT_EQ(ComName(3), "COM3");
  EXPECT_EQ(ComName(16), "COM16");
  EXPECT_EQ(ComNumber("COM1"), 1);
  EXPECT_EQ(ComNumber("com16"), 16);
  EXPECT_EQ(ComNumber("Com7"), 7);
  for (const char* bad : {"COM0", "COM17", "COM01", "COM", "COM3x", "COM-1", "LPT1", "", " COM3", "COM99999999999"})
    EXPECT_EQ(ComNumber(bad), std::nullopt) << bad;
}

TEST(PortMapSection, OnlyNamedPortsExist) {
  const auto map = PortMap::FromSection({{"COM3", "/dev/ttyUSB0"},
                                         {"com16", "/dev/ttyS4"},
                                         {"COM17", "/dev/ttyUSB1"},
                                         {"COM0", "/dev/ttyUSB2"},
                                         {"Baud", "38400"},
                                         {"COM5", ""}});
  EXPECT_EQ(map.PathOf(3), "/dev/ttyUSB0");
  EXPECT_EQ(map.PathOf(16), "/dev/ttyS4");
  for (int n : {0, 1, 2, 4, 5, 15, 17}) EXPECT_EQ(map.PathOf(n), std::nullopt) << n;
}

TEST(PortMapSection, ResolveNamesAndPaths) {
  const auto map = PortMap::FromSection({{"COM3", "/dev/ttyUSB0"}});
  EXPECT_EQ(map.Resolve("COM3"), "/dev/ttyUSB0");
  EXPECT_EQ(map.Resolve("com3"), "/dev/ttyUSB0");
  EXPECT_EQ(map.Resolve("COM4"), std::nullopt);
  EXPECT_EQ(map.Resolve("COM17"), std::nullopt);
  EXPECT_EQ(map.Resolve("/dev/pts/7"), "/dev/pts/7");
  EXPECT_EQ(map.Resolve(""), std::nullopt);
}

TEST(PortMapSection, ListsOnlyOpenablePortsInOrder) {
  test::PtyPair first;
  test::PtyPair second;
  const auto map = PortMap::FromSection(
      {{"COM5", second.SlavePath()}, {"COM2", first.SlavePath()}, {"COM7", "/nonexistent/ttyUSB0"}});
  using List = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(map.ListComPorts(), (List{{"COM2", first.SlavePath()}, {"COM5", second.SlavePath()}}));

  auto held = map.Open(5, 38400);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(map.ListComPorts(), (List{{"COM2", first.SlavePath()}}));
  EXPECT_EQ(map.Open(5, 38400), nullptr);  // held by the live monitor, say
  held.reset();
  EXPECT_EQ(map.ListComPorts().size(), 2u);
  // Listing leaves nothing open behind it.
  EXPECT_NE(map.Open(2, 38400), nullptr);
  EXPECT_EQ(map.Open(7, 38400), nullptr);
  EXPECT_EQ(map.Open(1, 38400), nullptr);
}

TEST(PortMapSection, NoOpenablePortListsNothing) {
  EXPECT_TRUE(PortMap::FromSection({}).ListComPorts().empty());
  EXPECT_TRUE(PortMap::FromSection({{"COM1", "/nonexistent/a"}}).ListComPorts().empty());
}

TEST(SystemPorts, UsbAdaptersFirstThenRealBuiltInPortsNaturally) {
  const std::vector<std::string> names = {"ttyS10", "ttyUSB10", "ttyS2",   "ttyUSB2", "ttyACM0", "tty0",
                                          "ttyS1",  "ttyUSBx",  "console", "ttyS",    "ttyUSB1"};
  const auto ordered = OrderSerialDevices(names, [](const std::string& name) { return name != "ttyS2"; });
  EXPECT_EQ(ordered, (std::vector<std::string>{"ttyACM0", "ttyUSB1", "ttyUSB2", "ttyUSB10", "ttyS1", "ttyS10"}));
}

}  // namespace
}  // namespace lum
