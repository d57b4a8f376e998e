#include <gtest/gtest.h>

#include "link/BusAddresses.h"
#include "link/PortNames.h"

namespace lum {
namespace {

BusAddresses Parsed(std::string_view text) {
  std::string error;
  const auto addresses = ParseBusAddresses(text, &error);
  EXPECT_TRUE(addresses) << text << ": " << error;
  return addresses.value_or(BusAddresses{});
}

std::string Refusal(std::string_view text) {
  std::string error;
  EXPECT_FALSE(ParseBusAddresses(text, &error)) << text;
  return error;
}

TEST(BusAddressesTest, RangesAndListsGiveEachAddressOnceInOrder) {
  const BusAddresses all = Parsed("1-32");
  ASSERT_EQ(all.size(), 32u);
  EXPECT_EQ(all.front(), 1);
  EXPECT_EQ(all.back(), 32);
  EXPECT_EQ(Parsed("1,3,7-9"), (BusAddresses{1, 3, 7, 8, 9}));
  EXPECT_EQ(Parsed(" 9 , 7-8,3 ,8 "), (BusAddresses{3, 7, 8, 9}));
  EXPECT_EQ(Parsed("255"), (BusAddresses{255}));
  EXPECT_EQ(Parsed("250-255").size(), 6u);
}

TEST(BusAddressesTest, BadInputIsRefusedNamingThePart) {
  EXPECT_EQ(Refusal("0-5"), "bus address 0 is outside 1..255");
  EXPECT_EQ(Refusal("1-256"), "bus address 256 is outside 1..255");
  EXPECT_EQ(Refusal("9-3"), "bus range 9-3 runs backwards");
  EXPECT_EQ(Refusal("1,x"), "\"x\" is not a bus address");
  EXPECT_EQ(Refusal("1-"), "\"\" is not a bus address");
  EXPECT_EQ(Refusal(""), "\"\" is not a bus address");
  EXPECT_EQ(Refusal("1,,2"), "\"\" is not a bus address");
  EXPECT_EQ(Refusal("-3"), "\"\" is not a bus address");
  EXPECT_EQ(Refusal("1-2-3"), "\"2-3\" is not a bus address");
  EXPECT_EQ(Refusal("99999999999999999999"), "\"99999999999999999999\" is not a bus address");
  EXPECT_EQ(Refusal("5\x01"), "\"5\x01\" is not a bus address");
}

TEST(BusAddressesTest, OneAddressIsANumberFrom1To255) {
  std::string error;
  EXPECT_EQ(ParseBusAddress(" 7 ", &error), std::optional<uint8_t>(7));
  EXPECT_EQ(ParseBusAddress("255", &error), std::optional<uint8_t>(255));
  for (const char* bad : {"0", "256", "7-8", "1,2", "seven", ""}) EXPECT_FALSE(ParseBusAddress(bad, &error)) << bad;
  EXPECT_EQ(error, "\"\" is not a bus address");
  ParseBusAddress("256", &error);
  EXPECT_EQ(error, "bus address 256 is outside 1..255");
}

TEST(BusAddressesTest, APortChoiceNeedsAPortAndAddresses) {
  std::string error;
  const auto choice = ParseBusChoice("COM3:1-4", &error);
  ASSERT_TRUE(choice) << error;
  EXPECT_EQ(choice->port, "COM3");
  EXPECT_EQ(choice->addresses, (BusAddresses{1, 2, 3, 4}));
  EXPECT_FALSE(ParseBusChoice("COM3", &error));
  EXPECT_FALSE(ParseBusChoice(":1-4", &error));
  EXPECT_FALSE(ParseBusChoice("COM3:0", &error));
  EXPECT_EQ(error, "bus address 0 is outside 1..255");
}

TEST(BusAddressesTest, TheBusSectionMakesPortsBusesAndNamesEveryBadLine) {
  PortMap map = PortMap::FromSection({{"COM3", "/dev/a"}, {"COM4", "/dev/b"}});
  const auto errors = map.SetBuses({{"COM3", "1-8"}, {"COM4", "8-1"}, {"LPT1", "1"}});
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "[Bus] COM4=8-1: bus range 8-1 runs backwards");
  EXPECT_EQ(errors[1], "[Bus] LPT1: not a port name COM1..COM16");
  EXPECT_EQ(map.BusOf(3).size(), 8u);
  EXPECT_TRUE(map.BusOf(4).empty());
  // Choosing one port keeps its bus.
  EXPECT_EQ(map.Only(3).BusOf(3), map.BusOf(3));
  EXPECT_EQ(BusEntryName("COM3", 5), "COM3 #5");
  EXPECT_EQ(BusEntryName("COM3", 0), "COM3");
}

}  // namespace
}  // namespace lum
