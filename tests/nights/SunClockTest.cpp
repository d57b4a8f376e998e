// lum-sim's days and nights: the world a controller's block and the options make, on its
// accelerated clock, and options typed wrong.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "data/NewFileBlock.h"
#include "nights/SimulatedNights.h"
#include "sim/SunClock.h"

namespace lum::sim {
namespace {

TEST(SunClockTest, BlockAndOptionsMakeTheWorldAndTheClockRunsFast) {
  TCONFIG_BLOCK block = NewFileStartBlock();
  block.SetSCV(600);
  block.SetSCDelay(2);  // minutes
  block.SetBattUVP(11000);
  const SunOptions options{"-33.87,151.21", 3600, "1,4", "dead-lamp=0;3,broken-panel=5,ageing=0.5"};
  const SunWorldSetup setup = SunSetupFor(block, options, nights::kStartMs);
  EXPECT_DOUBLE_EQ(setup.switchVolts, 6.0);
  EXPECT_EQ(setup.switchDelayMs, 120'000);
  EXPECT_DOUBLE_EQ(setup.cutVolts, 11.0);
  EXPECT_DOUBLE_EQ(setup.site.latitude, -33.87);
  EXPECT_EQ(setup.cloudyDays, (std::set<int>{1, 4}));
  EXPECT_EQ(setup.deadLampNights, (std::set<int>{0, 3}));
  EXPECT_EQ(setup.brokenPanelFromDay, 5);
  EXPECT_DOUBLE_EQ(setup.capacityLossPerDay, 0.5);

  // Noon in Paris, then twelve real seconds at an hour a second: midnight, dark panel.
  sim::SunWorldSetup paris = nights::ParisLamp();
  AcceleratedSun sun(paris, 3600);
  EXPECT_GT(sun.At(0).solarV, paris.switchVolts);
  const SunWorldValues night = sun.At(12'000);
  EXPECT_LT(night.solarV, paris.switchVolts);
  EXPECT_GT(night.loadA, 0) << "the programme lights the lamp";
}

TEST(SunClockTest, OptionsTypedWrongAreRefusedByName) {
  const TCONFIG_BLOCK block = NewFileStartBlock();
  const auto options = [](const std::string& site, const std::string& cloudy, const std::string& faults) {
    SunOptions typed;
    typed.site = site;
    typed.cloudy = cloudy;
    typed.faults = faults;
    return typed;
  };
  for (const SunOptions& bad :
       {options("91,0", "", ""), options("0,0", "x", ""), options("0,0", "-1", ""), options("0,0", "", "dead-lamp=a"),
        options("0,0", "", "melted"), options("0,0", "", "ageing=nan")})
    EXPECT_THROW(SunSetupFor(block, bad, 0), std::invalid_argument) << bad.site << bad.cloudy << bad.faults;
  const std::string command = "'" LUM_SIM_PATH "' --sun 51.5 --speed 3600 >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "refused before any port is made";
}

}  // namespace
}  // namespace lum::sim
