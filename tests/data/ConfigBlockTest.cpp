#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "data/ConfigBlock.h"
#include "data/DeviceConfig.h"
#include "data/NewFileBlock.h"

namespace lum {
namespace {

TEST(ConfigBlock, FieldsSitAtTheirLittleEndianOffsets) {
  TCONFIG_BLOCK block;
  block.SetProductID(0x00515620);
  block.SetBattOVP(14400);
  block.SetSCV(500);
  block.SetSCDelay(0x9E);
  const auto& b = block.bytes();
  EXPECT_EQ(b[0], 0x20);
  EXPECT_EQ(b[1], 0x56);
  EXPECT_EQ(b[2], 0x51);
  EXPECT_EQ(b[3], 0x00);
  EXPECT_EQ(b[8], 14400 & 0xFF);
  EXPECT_EQ(b[9], 14400 >> 8);
  EXPECT_EQ(b[24], 500 & 0xFF);
  EXPECT_EQ(b[26], 0x9E);
}

TEST(ConfigBlock, ChannelOneOfGroupZeroStartsAt68WithTimingAt74) {
  TCONFIG_BLOCK block;
  auto channel = block.Channel(0, 1);
  channel.SetMode(0x81);
  channel.SetCC(0x1234);
  channel.Timing(0).SetMinutes(0x0ABC);
  channel.Timing(4).SetPower(77);
  channel.Timing2(0).SetPower(5);
  const auto& b = block.bytes();
  EXPECT_EQ(b[68], 0x81);
  EXPECT_EQ(b[70], 0x34);
  EXPECT_EQ(b[71], 0x12);
  EXPECT_EQ(b[74], 0xBC);
  EXPECT_EQ(b[75], 0x0A);
  EXPECT_EQ(b[88], 77);
  EXPECT_EQ(b[68 + 21 + 2], 5);
  EXPECT_EQ(block.Channel(11, 3).Timing2(4).Power(), 0);
}

// Each setter writes new bytes into its own place, little-endian, and changes nothing beside it:
// the reserved bytes that follow BattReserved and SCDelay keep what the controller had.
TEST(ConfigBlock, AccessorsLeaveReservedBytesAlone) {
  using namespace block_layout;
  struct Case {
    const char* field;
    size_t offset;
    std::vector<uint8_t> written;  // as it must stand in the block
    std::function<void(TCONFIG_BLOCK&)> set;
  };
  const std::vector<Case> cases = {
      {"ProductID", kProductID, {0x04, 0x03, 0x02, 0x01}, [](TCONFIG_BLOCK& b) { b.SetProductID(0x01020304); }},
      {"BattReserved", kBattReserved, {0x34, 0x12}, [](TCONFIG_BLOCK& b) { b.SetBattReserved(0x1234); }},
      {"SCDelay", kSCDelay, {0x5A}, [](TCONFIG_BLOCK& b) { b.SetSCDelay(0x5A); }},
      {"Channel(1,2).CV",
       ChannelOffset(1, 2) + kChCV,
       {0x78, 0x56},
       [](TCONFIG_BLOCK& b) { b.Channel(1, 2).SetCV(0x5678); }},
  };
  for (const Case& c : cases) {
    TCONFIG_BLOCK block;
    block.bytes().fill(0xA5);
    c.set(block);
    for (size_t i = 0; i < kSize; ++i) {
      const bool inField = i >= c.offset && i < c.offset + c.written.size();
      const uint8_t expected = inField ? c.written[i - c.offset] : 0xA5;
      ASSERT_EQ(block.bytes()[i], expected) << c.field << " at byte " << i;
    }
  }
}

TEST(NewFileBlock, HoldsTheStartValues) {
  const TCONFIG_BLOCK block = NewFileStartBlock();
  EXPECT_EQ(block.ProductID(), 0u);
  EXPECT_EQ(block.FuncFlags(), 0);
  EXPECT_EQ(block.OTP(), 50);
  EXPECT_EQ(block.BattOVP(), 14400);
  EXPECT_EQ(block.BattFCV(), 13800);
  EXPECT_EQ(block.BattUVP(), 11200);
  EXPECT_EQ(block.BattUVR(), 12500);
  EXPECT_EQ(block.SCV(), 500);
  EXPECT_EQ(block.SCDelay(), 0x9E);
  EXPECT_EQ(block.bytes()[32], 1);
  EXPECT_EQ(block.bytes()[68], 1);
  size_t nonZero = 0;
  for (auto byte : block.bytes()) nonZero += byte != 0;
  EXPECT_EQ(nonZero, 14u);  // OTP 1, four voltages 8, SCV 2, SCDelay 1, two Mode bytes 2
}

TEST(EntryStore, ClearingDevicesNeverLeavesADanglingCurrentEntry) {
  EntryStore store;
  auto& file = store.AddFileEntry(std::make_unique<TDEVICE_CONFIG>());
  auto& device = store.AddDeviceEntry(std::make_unique<TDEVICE_CONFIG>());
  store.SetCurrentEntry(&device);
  store.ClearDeviceEntries();
  EXPECT_EQ(store.CurrentEntry(), &file);
  EXPECT_TRUE(store.DeviceEntries().empty());
  for (int i = 0; i < 100; ++i) store.AddFileEntry(std::make_unique<TDEVICE_CONFIG>());
  EXPECT_EQ(store.FileEntries().front().get(), &file);
}

}  // namespace
}  // namespace lum
