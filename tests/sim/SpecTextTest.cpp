#include <gtest/gtest.h>

#include "data/TypeTables.h"
#include "sim/SpecText.h"

namespace lum::sim {
namespace {

TEST(SimSpecText, KeysChangeTheRowsDefaults) {
  const ControllerSpec spec = ParseControllerSpec(
      "row=0,model=LS-2420,serial=0x12345678,firmware=124,build=9,batch=123,capflags=0x48,address=3,uptime=61,"
      "fromtry=2,split=40,noise=9,delay=15,alter=0x31:xor:0x00FF,alter=0x3A:keep,alter=57:inc");
  EXPECT_EQ(spec.config.ProductID(), DeviceTypes()[0].ProductCode);
  EXPECT_EQ(spec.model, "LS-2420");
  EXPECT_EQ(spec.serialNumber, 0x12345678u);
  EXPECT_EQ(spec.firmwareVersion, 124);
  EXPECT_EQ(spec.firmwareBuild, 9);
  EXPECT_EQ(spec.batchCode, 123u);
  EXPECT_EQ(spec.config.CapFlags(), 0x48);
  EXPECT_EQ(spec.config.Address(), 3);
  EXPECT_EQ(spec.measurements.powerOnSeconds, 61u);
  EXPECT_EQ(spec.answerFromTry, 2);
  EXPECT_TRUE(spec.splitReplies);
  EXPECT_EQ(spec.splitPauseMs, 40u);
  EXPECT_TRUE(spec.lineNoise);
  EXPECT_EQ(spec.noiseSeed, 9u);
  EXPECT_EQ(spec.replyDelayMs, 15u);
  ASSERT_EQ(spec.alterations.size(), 3u);
  EXPECT_EQ(spec.alterations.at(0x31).kind, AlterKind::Xor);
  EXPECT_EQ(spec.alterations.at(0x31).mask, 0x00FF);
  EXPECT_EQ(spec.alterations.at(0x3A).kind, AlterKind::Keep);
  EXPECT_EQ(spec.alterations.at(57).kind, AlterKind::Increment);
  EXPECT_FALSE(spec.silent);
  // The memory image follows the changed identity.
  EXPECT_EQ(std::string(spec.memory.begin(), spec.memory.begin() + 7), "LS-2420");
}

TEST(SimSpecText, EmptyTextIsTheDefaultController) {
  const ControllerSpec spec = ParseControllerSpec("");
  EXPECT_EQ(spec.config, DefaultSpec(1).config);
  EXPECT_EQ(spec.model, DefaultSpec(1).model);
  EXPECT_TRUE(ParseControllerSpec("silent,noise").silent);
  EXPECT_TRUE(ParseControllerSpec("silent,noise").lineNoise);
}

TEST(SimSpecText, BadTextIsRefusedWithItsReason) {
  const auto reason = [](const std::string& text) {
    try {
      ParseControllerSpec(text);
    } catch (const SpecTextError& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(reason("row=4"), "'row': '4' is not a number from 0 to 3");
  EXPECT_EQ(reason("row=-1"), "'row': '-1' is not a number from 0 to 3");
  EXPECT_EQ(reason("serial=0x1FFFFFFFF"), "'serial': '0x1FFFFFFFF' is not a number from 0 to 4294967295");
  EXPECT_EQ(reason("address=256"), "'address': '256' is not a number from 0 to 255");
  EXPECT_EQ(reason("fromtry=2x"), "'fromtry': '2x' is not a number from 0 to 255");
  EXPECT_EQ(reason("colour=red"), "unknown key 'colour'");
  EXPECT_EQ(reason("silent=1"), "'silent' takes no value");
  EXPECT_EQ(reason("model"), "'model' needs a value");
  EXPECT_EQ(reason("model=" + std::string(26, 'x')), "'model': longer than 25 characters");
  EXPECT_EQ(reason("alter=0x31:swap"), "'alter': '0x31:swap' is not CODE:keep, CODE:xor:MASK or CODE:inc");
  EXPECT_EQ(reason("alter=0x31:xor"), "'alter': '0x31:xor' is not CODE:keep, CODE:xor:MASK or CODE:inc");
  EXPECT_EQ(reason("alter="), "'alter': needs CODE:keep, CODE:xor:MASK or CODE:inc");
}

TEST(SimDefaultSpec, EveryRowIsAPlausibleController) {
  for (int row = 0; row < DefaultSpecRows(); ++row) {
    const ControllerSpec spec = DefaultSpec(row);
    const TDEVICE_TYPES& type = DeviceTypes()[static_cast<size_t>(row)];
    EXPECT_EQ(LookupProductID(spec.config.ProductID()), row);
    EXPECT_FALSE(spec.model.empty());
    EXPECT_EQ(spec.firmwareVersion, 123);
    EXPECT_EQ(spec.firmwareBuild, 7);
    // Settings only where the device type has them, so that writing them back verifies.
    EXPECT_EQ(spec.config.BattOVP() != 0, type.Caps.HasBattery) << row;
    EXPECT_EQ(spec.config.SCV() != 0, type.Caps.HasLightControl) << row;
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(spec.config.Channel(0, c).Mode(), c < type.Channels ? 1 : 0) << row << "/" << c;
      EXPECT_EQ(spec.config.Channel(0, c).CC() != 0, c < type.Channels && type.Caps.HasRatedCurrent) << row;
    }
  }
  EXPECT_NE(DefaultSpec(0).serialNumber, DefaultSpec(1).serialNumber);
  EXPECT_EQ(DefaultSpec(1).config.BattOVP(), 14400);
  EXPECT_EQ(DefaultSpec(1).config.SCDelay(), 30 | 0x80);
  EXPECT_THROW(DefaultSpec(4), std::out_of_range);
  EXPECT_THROW(DefaultSpec(-1), std::out_of_range);
}

}  // namespace
}  // namespace lum::sim
