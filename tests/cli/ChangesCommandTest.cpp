// lumctl diff and write --dry-run: what a write would change, with nothing written.
#include <gtest/gtest.h>

#include "cli/Lumctl.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"
#include "sim/Request.h"
#include "sim/Simulator.h"

namespace lum {
namespace {

class LumctlChanges : public Lumctl {
 protected:
  sim::Controller& Controller(const sim::ControllerSetup& setup) {
    sim::Controller& controller = simulator.AddController(setup);
    simulator.Start();
    WriteRaw("LUM.INI", "[Ports]\r\nCOM2=" + controller.Path() + "\r\n");
    return controller;
  }
  static bool AnyWrite(const sim::Controller& controller) {
    for (const auto& frame : controller.RequestLog())
      if (sim::DecodeRequest(frame).IsWrite()) return true;
    return false;
  }
  sim::Simulator simulator;
};

TEST_F(LumctlChanges, DiffOfTwoFilesListsOnlyWhatAWriteWouldChangeWithUnits) {
  TCONFIG_BLOCK before = DualChannelBlock();
  TCONFIG_BLOCK after = before;
  after.SetBattOVP(14600);
  after.SetSCV(620);
  after.Channel(0, 1).Timing(2).SetMinutes(240);
  after.Channel(0, 1).SetCC(2500);  // a dual standard controller is sent CC only with PWM dimming: it has it
  after.SetBattReserved(1);         // never written: not a change
  after.Channel(3, 0).SetCC(1);     // another group: not written either
  SaveConfigFile(Path("before.LUM"), before);
  SaveConfigFile(Path("after.LUM"), after);

  const Outcome diff = Run("diff before.LUM after.LUM");
  ASSERT_EQ(diff.status, 0) << diff.err;
  EXPECT_EQ(diff.out,
            "SCV: 5.00 V -> 6.20 V\n"
            "BattOVP: 14.40 V -> 14.60 V\n"
            "channel 2 CC: 1.50 A -> 2.50 A\n"
            "channel 2 segment 3 minutes: 0 min -> 240 min\n");

  const Outcome same = Run("diff before.LUM before.LUM");
  EXPECT_EQ(same.out, "No change.\n");
  EXPECT_EQ(Run("diff before.LUM none.LUM").status, 2);
}

TEST_F(LumctlChanges, DiffWithAPortReadsTheControllerAndWritesNothing) {
  sim::ControllerSetup setup = sim::DefaultSetup(0);
  sim::Controller& controller = Controller(setup);
  TCONFIG_BLOCK wanted = setup.config;
  wanted.SetBattUVP(11500);
  SaveConfigFile(Path("wanted.LUM"), wanted);

  const Outcome diff = Run("diff COM2 wanted.LUM");
  ASSERT_EQ(diff.status, 0) << diff.err;
  EXPECT_TRUE(Contains(diff.out, "BattUVP: " + FormatScaled(setup.config.BattUVP(), 1000) + " V -> 11.50 V\n"))
      << diff.out;
  EXPECT_FALSE(controller.RequestLog().empty());
  EXPECT_FALSE(AnyWrite(controller));
  EXPECT_EQ(controller.Config(), setup.config);
  EXPECT_EQ(ListBackups(dir_.string()).size(), 1u);  // the read was kept
}

TEST_F(LumctlChanges, WriteDryRunPrintsTheChangesOnTheControllerItWouldWriteAndSendsNoWrite) {
  sim::ControllerSetup setup = sim::DefaultSetup(0);
  sim::Controller& controller = Controller(setup);
  TCONFIG_BLOCK wanted = setup.config;
  wanted.Channel(0, 0).Timing(0).SetPower(55);
  SaveConfigFile(Path("wanted.LUM"), wanted);

  const Outcome dry = Run("write --dry-run wanted.LUM");
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_TRUE(Contains(dry.out, "channel 1 segment 1 power: " +
                                    std::to_string(setup.config.Channel(0, 0).Timing(0).Power()) + " % -> 55 %\n"))
      << dry.out;
  EXPECT_FALSE(AnyWrite(controller));
  EXPECT_EQ(controller.Config(), setup.config);

  SaveConfigFile(Path("same.LUM"), setup.config);
  EXPECT_TRUE(Contains(Run("write --dry-run same.LUM").out, "No change.\n"));
  EXPECT_FALSE(AnyWrite(controller));

  TCONFIG_BLOCK other = wanted;
  other.SetProductID(0x515660);
  SaveConfigFile(Path("other.LUM"), other);
  const Outcome none = Run("write --dry-run other.LUM");
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(Contains(none.err, "No controller of this product found.")) << none.err;
}

}  // namespace
}  // namespace lum
