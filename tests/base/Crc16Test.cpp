#include <gtest/gtest.h>

#include <string>

#include "base/ByteOrder.h"
#include "base/Crc16.h"

namespace lum {
namespace {

uint16_t CrcOf(const std::string& text) { return Crc16(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

TEST(Crc16, CheckValues) {
  EXPECT_EQ(CrcOf("123456789"), 0x31C3);
  EXPECT_EQ(CrcOf("abc"), 0x9DD6);
}

TEST(Crc16, FrameFollowedByItsCrcLeavesZero) {
  uint8_t frame[8] = {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0, 0};
  WriteU16Be(frame + 6, Crc16(frame, 6));
  EXPECT_EQ(frame[6], 0xAA);
  EXPECT_EQ(frame[7], 0x51);
  EXPECT_EQ(Crc16(frame, 8), 0);
}

}  // namespace
}  // namespace lum
