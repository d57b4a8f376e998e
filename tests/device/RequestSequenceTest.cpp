// The exact bytes and waits of a scan and of a write, for every device type and a few
// capability bytes: whatever drives the read and write plans, the wire stays the same.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "DeviceTestSupport.h"
#include "device/Scan.h"
#include "device/Write.h"

namespace lum {
namespace {

using test::ScriptedController;

// A block with every field the write sends set to a value within its range.
TCONFIG_BLOCK FullBlock(int row) {
  TCONFIG_BLOCK block;
  block.SetProductID(ProductCodeOfRow(row));
  block.SetFuncFlags(0x35);
  block.SetAddress(7);
  block.SetOTP(65);
  block.SetBattOVP(14500);
  block.SetBattFCV(13900);
  block.SetBattUVP(11000);
  block.SetBattUVR(12400);
  block.SetBattReserved(0x1234);
  block.SetSCV(520);
  block.SetSCDelay(25 | block_bits::kSCDelayUnit);
  for (int c = 0; c < 4; ++c) {
    TCHANNEL_CONFIG channel = block.Channel(0, c);
    channel.SetMode(static_cast<uint8_t>(c % 3));
    channel.SetCC(static_cast<uint16_t>(1000 + c));
    channel.SetCV(static_cast<uint16_t>(12000 + c));
    for (int k = 0; k < block_layout::kSegments; ++k) {
      channel.Timing(k).SetMinutes(static_cast<uint16_t>(100 * k + c));
      channel.Timing(k).SetPower(static_cast<uint8_t>(10 * k + c));
      channel.Timing2(k).SetMinutes(static_cast<uint16_t>(200 + k));
      channel.Timing2(k).SetPower(static_cast<uint8_t>(50 + k));
    }
  }
  return block;
}

class RequestSequenceTest : public test::ScriptedDeviceTest {
 protected:
  std::string Scan(const sim::ControllerSetup& setup) {
    ScriptedController controller(setup);
    return Recorded(controller, [&] {
      auto entry = std::make_unique<TDEVICE_CONFIG>();
      entry->Name = "COM3";
      entries.SetCurrentEntry(&entries.AddDeviceEntry(std::move(entry)));
      IdentifyAndRead(context, &controller.Port(), {});
    });
  }

  std::string Write(const sim::ControllerSetup& setup, const TCONFIG_BLOCK& entry) {
    ScriptedController controller(setup);
    opener.Attach(1, controller.Port());
    return Recorded(controller, [&] {
      CurrentFileEntry(entry);
      WriteDevice(context);
    });
  }

  template <typename Run>
  std::string Recorded(ScriptedController& controller, Run run) {
    std::string trace;
    size_t shown = 0;
    const auto frames = [&] {
      for (; shown < controller.Port().Written().size(); ++shown) {
        for (uint8_t byte : controller.Port().Written()[shown]) trace += fmt::format("{:02X}", byte);
        trace += ' ';
      }
    };
    clock.OnSleep([&](unsigned ms) {
      frames();
      trace += fmt::format("+{} ", ms);
    });
    run();
    frames();
    clock.OnSleep({});
    return trace;
  }
};

sim::ControllerSetup ControllerOf(int row, uint8_t capFlags) {
  sim::ControllerSetup setup = sim::DefaultSetup(row);
  setup.config = FullBlock(row);
  setup.config.SetCapFlags(capFlags);
  return setup;
}

struct Case {
  int row;
  uint8_t capFlags;
};
constexpr Case kCases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1, 0x48}, {2, 0x80}, {3, 0x40}, {1, 0xFF}};

TEST_F(RequestSequenceTest, ScanAndWriteSendTheSameBytesWithTheSameWaits) {
  std::string all;
  for (const Case& c : kCases) {
    const sim::ControllerSetup setup = ControllerOf(c.row, c.capFlags);
    all += fmt::format("scan {} {:02X}: {}\n", c.row, c.capFlags, Scan(setup));
    TCONFIG_BLOCK entry = setup.config;
    all += fmt::format("write {} {:02X}: {}\n", c.row, c.capFlags, Write(setup, entry));
    // Fields not sent when zero leave their request out.
    entry.SetOTP(0);
    entry.SetSCV(0);
    entry.SetBattUVP(0);
    all += fmt::format("write zeros {} {:02X}: {}\n", c.row, c.capFlags, Write(setup, entry));
  }
  // Recorded from the scan and write whose read and write lists were written out by hand.
  std::ifstream golden(std::string(LUM_SOURCE_DIR) + "/tests/device/RequestSequence.txt");
  ASSERT_TRUE(golden.is_open());
  std::istringstream lines(all);
  std::string expected;
  std::string actual;
  while (std::getline(golden, expected)) {
    ASSERT_TRUE(std::getline(lines, actual)) << "missing: " << expected;
    EXPECT_EQ(actual, expected);
  }
  EXPECT_FALSE(std::getline(lines, actual)) << "more: " << actual;
}

}  // namespace
}  // namespace lum
