// A link in bus mode: where its requests go and which replies it takes.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/Frame.h"
#include "link/Link.h"
#include "support/ScriptedLinkTest.h"

namespace lum {
namespace {

using test::Bytes;

Bytes Reply(uint8_t address, uint8_t command, uint16_t word) {
  const FrameBytes frame = EncodeFrame(address, ReplyCode(command), 0, 0, word);
  return Bytes(frame.begin(), frame.end());
}

class BusLinkTest : public test::ScriptedLinkTest {
 protected:
  bool Traced(const std::string& fragment) const {
    const auto& lines = observer.TraceLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
  }
};

TEST_F(BusLinkTest, OnABusOnlyTheAskedAddressesReplyIsTaken) {
  link.SetBusAddress(5);
  // The controller at 6 answers first, then the one asked, in one read.
  port.OnWrite([](int, const Bytes&) {
    Bytes both = Reply(6, command::kBattFCV, 1111);
    const Bytes asked = Reply(5, command::kBattFCV, 2222);
    both.insert(both.end(), asked.begin(), asked.end());
    return std::vector<Bytes>{both};
  });
  link.SendFrame(block, &port, link.RequestAddress(), command::kBattFCV, 0, 0, 0);

  ASSERT_EQ(port.Written().size(), 1u);
  EXPECT_EQ(port.Written()[0][frame::kAddress], 5);
  EXPECT_EQ(block.BattFCV(), 2222);
  ASSERT_EQ(link.ReplyLog().size(), 1u);
  EXPECT_TRUE(Traced("reply from address 6 while 5 was asked, not taken"));
  EXPECT_EQ(link.GarbledExchanges(), 0u);  // a clean frame of a neighbour is no collision
}

TEST_F(BusLinkTest, AReplyOfAnotherAddressAloneIsAskedForAgainAndNeverTaken) {
  link.SetBusAddress(5);
  port.OnWrite([](int, const Bytes&) { return std::vector<Bytes>{Reply(6, command::kBattFCV, 1111)}; });
  link.SendFrame(block, &port, link.RequestAddress(), command::kBattFCV, 0, 0, 0);

  EXPECT_EQ(port.Written().size(), 3u);  // every try went unanswered
  EXPECT_EQ(block.BattFCV(), 0);
  EXPECT_TRUE(link.ReplyLog().empty());
}

TEST_F(BusLinkTest, ASingleControllerPortTakesItsReplyWhateverItsAddress) {
  port.OnWrite([](int, const Bytes&) { return std::vector<Bytes>{Reply(9, command::kBattFCV, 1234)}; });
  link.SendFrame(block, &port, link.RequestAddress(), command::kBattFCV, 0, 0, 0);

  ASSERT_EQ(port.Written().size(), 1u);
  EXPECT_EQ(port.Written()[0][frame::kAddress], 0);
  EXPECT_EQ(block.BattFCV(), 1234);
}

TEST_F(BusLinkTest, AddressZeroIsNeverSentOnABus) {
  link.SetBusAddress(5);
  link.SendFrame(block, &port, 0, command::kIdentify, 0, 0, 0);

  EXPECT_TRUE(port.Written().empty());
  EXPECT_TRUE(Traced("address 0 is not sent on a bus"));
  EXPECT_EQ(clock.TotalSleptMs(), 0u);
}

TEST_F(BusLinkTest, BytesThatHoldNoFrameAreCountedAsGarbled) {
  link.SetBusAddress(5);
  const Bytes first = Reply(5, command::kIdentify, 1);
  const Bytes second = Reply(5, command::kIdentify, 2);
  Bytes mixed;
  for (size_t i = 0; i < first.size(); ++i) {
    mixed.push_back(first[i]);
    mixed.push_back(second[i]);
  }
  port.OnWrite([mixed](int, const Bytes&) { return std::vector<Bytes>{mixed}; });
  link.SendFrame(block, &port, link.RequestAddress(), command::kIdentify, 0, 0, 0);

  EXPECT_TRUE(link.ReplyLog().empty());
  EXPECT_EQ(link.GarbledExchanges(), 3u);
  link.ClearGarbledExchanges();
  EXPECT_EQ(link.GarbledExchanges(), 0u);
}

}  // namespace
}  // namespace lum
