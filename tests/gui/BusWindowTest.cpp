// A bus declared in LUM.INI, as the window finds and lists it.
#include <QTest>
#include <fstream>

#include "ActionsTestFixture.h"
#include "link/Frame.h"

namespace lum::test {
namespace {

// A unit of row 1 at `address` with its own serial number and model.
sim::ControllerSetup Unit(uint8_t address, uint32_t serial, const std::string& model) {
  sim::ControllerSetup setup = sim::BusUnit(1, address, serial);
  setup.model = model;
  setup.memory = sim::FactoryMemory(setup);
  return setup;
}

class BusWindowTest : public ActionsTest {
 protected:
  void WriteSettings(const std::string& busPath, const std::string& busLines) {
    std::ofstream ini(std::filesystem::path(Dir()) / "LUM.INI", std::ios::binary);
    ini << "[Ports]\r\nCOM3=" << busPath << "\r\n[Bus]\r\n" << busLines;
  }
};

TEST_F(BusWindowTest, EachControllerOfABusIsItsOwnNodeAndNoRequestGoesToAddressZero) {
  sim::Controller& bus = simulator.AddBus(Unit(1, 0x11, "LS-ONE"), {Unit(1, 0x11, "LS-ONE"), Unit(5, 0x15, "LS-FIVE")});
  simulator.Start();
  WriteSettings(bus.Path(), "COM3=1-2,5\r\n");
  TFormLUM& window = Create();

  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());

  EXPECT_EQ(TreeTexts(), (QStringList{"COM3 #1,LS-ONE", "COM3 #5,LS-FIVE", "New File"}));
  const auto& devices = window.Entries().DeviceEntries();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0]->BusAddress, 1);
  EXPECT_EQ(devices[1]->SerialNumber, 0x15u);
  for (size_t slot = 0; slot < bus.Units(); ++slot)
    for (const sim::RawFrame& frame : bus.UnitLog(slot)) EXPECT_NE(frame[frame::kAddress], 0) << "unit " << slot;
}

TEST_F(BusWindowTest, ABusLineThatCannotBeReadIsToldOnceAndItsPortStaysSingle) {
  sim::Controller& single = simulator.AddController(sim::DefaultSetup(1));
  simulator.Start();
  WriteSettings(single.Path(), "COM3=0-4\r\n");
  TFormLUM& window = Create();
  window.ListPorts();
  window.ListPorts();

  EXPECT_EQ(CountInfo("LUM.INI"), 1);
  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_EQ(TreeTexts().front().left(5), "COM3,") << "read as the port's one controller";
}

}  // namespace
}  // namespace lum::test
