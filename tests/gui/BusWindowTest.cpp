// A bus declared in LUM.INI, as the window finds and lists it.
#include <QTest>
#include <fstream>

#include "ActionsTestFixture.h"
#include "data/NumberFormats.h"
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

// The change view compares with the controller the write goes to, and names it.
TEST_F(BusWindowTest, TheChangeViewOfABusControllerIsItsOwnAndNamesIt) {
  sim::ControllerSetup five = Unit(5, 0x15, "LS-FIVE");
  five.config.SetBattOVP(static_cast<uint16_t>(five.config.BattOVP() + 100));
  sim::Controller& bus = simulator.AddBus(Unit(1, 0x11, "LS-ONE"), {Unit(1, 0x11, "LS-ONE"), five});
  simulator.Start();
  WriteSettings(bus.Path(), "COM3=1,5\r\n");
  TFormLUM& window = CreateShown();
  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  SelectNode(QStringLiteral("COM3 #5,LS-FIVE"));
  TDEVICE_CONFIG& entry = *window.CurrentEntry();
  ASSERT_EQ(entry.BusAddress, 5);
  entry.Config.SetBattOVP(static_cast<uint16_t>(five.config.BattOVP() + 300));
  window.ShowEntry();

  dialogs_.AnswerChanges(false);
  window.ui().actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());

  ASSERT_EQ(dialogs_.ChangeViews().size(), 1u);
  const ChangeList& changes = dialogs_.ChangeViews()[0];
  EXPECT_EQ(changes.title, QStringLiteral("写入前核对：COM3 #5"));
  ASSERT_EQ(changes.rows.size(), 1u);
  const auto volts = [](uint16_t mv) { return QString::fromStdString(FormatScaled(mv, kScaleMilli) + " V"); };
  EXPECT_EQ(changes.rows[0].before, volts(five.config.BattOVP())) << "compared with address 5, not address 1";
  EXPECT_EQ(changes.rows[0].after, volts(static_cast<uint16_t>(five.config.BattOVP() + 300)));
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
