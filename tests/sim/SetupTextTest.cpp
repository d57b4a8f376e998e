#include <gtest/gtest.h>

#include "data/ConfigFields.h"
#include "data/TypeTables.h"
#include "sim/SetupText.h"

namespace lum::sim {
namespace {

TEST(SimSetupText, KeysChangeTheRowsDefaults) {
  const ControllerSetup setup = ParseControllerSetup(
      "row=0,model=LS-2420,serial=0x12345678,firmware=124,build=9,batch=123,capflags=0x48,address=3,uptime=61,"
      "fromtry=2,split=40,noise=9,damage=33,delay=15,alter=0x31:xor:0x00FF,alter=0x3A:keep,alter=57:inc");
  EXPECT_EQ(setup.config.ProductID(), DeviceTypes()[0].ProductCode);
  EXPECT_EQ(setup.model, "LS-2420");
  EXPECT_EQ(setup.serialNumber, 0x12345678u);
  EXPECT_EQ(setup.firmwareVersion, 124);
  EXPECT_EQ(setup.firmwareBuild, 9);
  EXPECT_EQ(setup.batchCode, 123u);
  EXPECT_EQ(setup.config.CapFlags(), 0x48);
  EXPECT_EQ(setup.config.Address(), 3);
  EXPECT_EQ(setup.measurements.powerOnSeconds, 61u);
  EXPECT_EQ(setup.answerFromTry, 2);
  EXPECT_TRUE(setup.splitReplies);
  EXPECT_EQ(setup.splitPauseMs, 40u);
  EXPECT_TRUE(setup.lineNoise);
  EXPECT_EQ(setup.noiseSeed, 9u);
  EXPECT_EQ(setup.damageEvery, 33u);
  EXPECT_EQ(setup.replyDelayMs, 15u);
  ASSERT_EQ(setup.alterations.size(), 3u);
  EXPECT_EQ(setup.alterations.at(0x31).kind, AlterKind::Xor);
  EXPECT_EQ(setup.alterations.at(0x31).mask, 0x00FF);
  EXPECT_EQ(setup.alterations.at(0x3A).kind, AlterKind::Keep);
  EXPECT_EQ(setup.alterations.at(57).kind, AlterKind::Increment);
  EXPECT_FALSE(setup.silent);
  // The memory image follows the changed identity.
  EXPECT_EQ(std::string(setup.memory.begin(), setup.memory.begin() + 7), "LS-2420");
}

TEST(SimSetupText, EmptyTextIsTheDefaultController) {
  const ControllerSetup setup = ParseControllerSetup("");
  EXPECT_EQ(setup.config, DefaultSetup(1).config);
  EXPECT_EQ(setup.model, DefaultSetup(1).model);
  EXPECT_TRUE(ParseControllerSetup("silent,noise").silent);
  EXPECT_TRUE(ParseControllerSetup("silent,noise").lineNoise);
}

TEST(SimSetupText, BadTextIsRefusedWithItsReason) {
  const auto reason = [](const std::string& text) {
    try {
      ParseControllerSetup(text);
    } catch (const SetupTextError& e) {
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

TEST(SimDefaultSetup, EveryRowIsAPlausibleController) {
  for (int row = 0; row < DefaultSetupRows(); ++row) {
    const ControllerSetup setup = DefaultSetup(row);
    const TDEVICE_TYPES& type = DeviceTypes()[static_cast<size_t>(row)];
    EXPECT_EQ(LookupProductID(setup.config.ProductID()), row);
    EXPECT_FALSE(setup.model.empty());
    EXPECT_EQ(setup.firmwareVersion, 123);
    EXPECT_EQ(setup.firmwareBuild, 7);
    // Settings only where the device type has them, so that writing them back verifies.
    EXPECT_EQ(setup.config.BattOVP() != 0, type.Caps.HasBattery) << row;
    EXPECT_EQ(setup.config.SCV() != 0, type.Caps.HasLightControl) << row;
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(setup.config.Channel(0, c).Mode(), c < type.Channels ? 1 : 0) << row << "/" << c;
      // Rated current where the controller can hold it: its own limit, or PWM dimming of it.
      EXPECT_EQ(setup.config.Channel(0, c).CC() != 0, c < type.Channels && CanHold(type.Caps, Field(FieldId::CC)))
          << row;
    }
  }
  EXPECT_NE(DefaultSetup(0).serialNumber, DefaultSetup(1).serialNumber);
  EXPECT_EQ(DefaultSetup(1).config.BattOVP(), 14400);
  EXPECT_EQ(DefaultSetup(1).config.SCDelay(), 30 | 0x80);
  EXPECT_THROW(DefaultSetup(4), std::out_of_range);
  EXPECT_THROW(DefaultSetup(-1), std::out_of_range);
}

}  // namespace
}  // namespace lum::sim
