// The device tree's menu on a bus: looking for addresses and giving one, against lum-sim.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "ActionsTestFixture.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "data/CommandCodes.h"
#include "device/PortOpener.h"
#include "language/MessageSlots.h"
#include "link/Frame.h"
#include "link/SerialPort.h"

namespace lum::test {
namespace {

sim::ControllerSetup Unit(uint8_t address, uint32_t serial) {
  sim::ControllerSetup setup = sim::BusUnit(1, address, serial);
  setup.model = "LS-2420D";
  setup.memory = sim::FactoryMemory(setup);
  return setup;
}

bool FlagsWriteSent(const sim::Controller& bus, size_t slot) {
  for (const sim::RawFrame& frame : bus.UnitLog(slot))
    if (frame[frame::kCode] == command::kFuncFlags && (frame[frame::kIndex] & frame::kWriteFlag) != 0) return true;
  return false;
}

class BusMenuTest : public ActionsTest {
 protected:
  void WriteSettings(const std::string& busPath, const std::string& busLines = {}) {
    std::ofstream ini(std::filesystem::path(Dir()) / "LUM.INI", std::ios::binary);
    ini << "[Ports]\r\nCOM3=" << busPath << "\r\n";
    if (!busLines.empty()) ini << "[Bus]\r\n" << busLines;
  }
  std::string Settings() const {
    std::ifstream ini(std::filesystem::path(Dir()) / "LUM.INI", std::ios::binary);
    std::stringstream text;
    text << ini.rdbuf();
    return text.str();
  }
  // Opens the tree's menu on the node with this text (the empty area when none) and returns it.
  QMenu& OpenMenuOn(const QString& nodeText) {
    QTreeWidget& tree = *Window().ui().tvDevices;
    QPoint where(2, tree.viewport()->height() - 2);
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
      if (tree.topLevelItem(i)->text(0) == nodeText) where = tree.visualItemRect(tree.topLevelItem(i)).center();
    emit tree.customContextMenuRequested(where);
    return Window().TreeMenu();
  }
  QAction* MenuAction(const char* name) { return Window().TreeMenu().findChild<QAction*>(QString::fromLatin1(name)); }
  QString Text(int slot, std::initializer_list<FormatArg> args) const {
    return QString::fromStdString(FormatText(window_messages_->Text(slot), args));
  }
  TFormLUM& ScannedBus(sim::Controller& bus, const std::string& addresses) {
    WriteSettings(bus.Path(), "COM3=" + addresses + "\r\n");
    TFormLUM& window = CreateShown();
    window_messages_ = &window.Messages();
    window.ui().actConnectDevice->trigger();
    EXPECT_TRUE(WaitForDevice());
    return window;
  }

  const MessageTable* window_messages_ = nullptr;
};

TEST_F(BusMenuTest, LookingForAddressesKeepsThemInTheSettingsAndListsEachControllerFound) {
  sim::Controller& bus = simulator.AddBus(Unit(3, 0x03), {Unit(3, 0x03), Unit(5, 0x05)});
  simulator.Start();
  WriteSettings(bus.Path());
  TFormLUM& window = CreateShown();

  QMenu& menu = OpenMenuOn(QStringLiteral("New File"));
  EXPECT_TRUE(menu.isVisible());
  // The built-in language is Chinese: so is the menu.
  EXPECT_EQ(MenuAction("actBusLook")->text(), QStringLiteral("总线：查找地址…"));
  EXPECT_FALSE(MenuAction("actAssignAddress")->isEnabled()) << "no controller read yet";
  menu.hide();
  dialogs_.AnswerBus(BusAnswer{0, QStringLiteral(" 1-8 ")});
  MenuAction("actBusLook")->trigger();
  ASSERT_TRUE(WaitForDevice());

  ASSERT_EQ(dialogs_.BusQuestions().size(), 1u);
  EXPECT_EQ(dialogs_.BusQuestions()[0].ports, QStringList{"COM3"});
  EXPECT_EQ(dialogs_.BusQuestions()[0].addresses, QStringLiteral("1-32"));
  EXPECT_NE(Settings().find("[Bus]\r\nCOM3=1-8\r\n"), std::string::npos) << Settings();
  EXPECT_EQ(TreeTexts(), (QStringList{"COM3 #3,LS-2420D", "COM3 #5,LS-2420D", "New File"}));
  EXPECT_EQ(window.Entries().DeviceEntries().size(), 2u);

  // Asked again on a node of that bus, the dialog offers what LUM.INI holds.
  OpenMenuOn(QStringLiteral("COM3 #5,LS-2420D")).hide();
  dialogs_.AnswerBus(std::nullopt);
  MenuAction("actBusLook")->trigger();
  ASSERT_EQ(dialogs_.BusQuestions().size(), 2u);
  EXPECT_EQ(dialogs_.BusQuestions()[1].addresses, QStringLiteral("1-8"));
}

TEST_F(BusMenuTest, AddressesOutOfRangeOrNotNumbersAreRefusedAndNothingIsStoredOrScanned) {
  sim::Controller& bus = simulator.AddBus(Unit(3, 0x03), {Unit(3, 0x03)});
  simulator.Start();
  WriteSettings(bus.Path());
  TFormLUM& window = CreateShown();
  window_messages_ = &window.Messages();
  const std::string before = Settings();

  for (const char* typed : {"0-5", "1-256", "abc", "", "5-1"}) {
    dialogs_.AnswerBus(BusAnswer{0, QString::fromLatin1(typed)});
    window.actBusLookExecute();
    ASSERT_FALSE(dialogs_.Errors().empty()) << typed;
    EXPECT_EQ(dialogs_.Errors().back(), Text(msg::kBusAddressesRefused, {std::string(typed)})) << typed;
  }
  EXPECT_EQ(dialogs_.Errors().size(), 5u);
  EXPECT_EQ(Settings(), before);
  EXPECT_FALSE(window.Session().Busy());
  EXPECT_TRUE(bus.RequestLog().empty()) << "nothing was scanned";
}

TEST_F(BusMenuTest, AssigningAnAddressIsVerifiedThereAndTheNodeIsNamedByIt) {
  sim::Controller& bus = simulator.AddBus(Unit(3, 0x03), {Unit(3, 0x03), Unit(5, 0x05)});
  simulator.Start();
  TFormLUM& window = ScannedBus(bus, "1-8");

  OpenMenuOn(QStringLiteral("COM3 #5,LS-2420D")).hide();
  dialogs_.AnswerNewAddress(AddressAnswer{1, QStringLiteral("7")});
  MenuAction("actAssignAddress")->trigger();
  ASSERT_TRUE(WaitForDevice());

  ASSERT_EQ(dialogs_.AddressQuestions().size(), 1u);
  EXPECT_EQ(dialogs_.AddressQuestions()[0].controllers, (QStringList{"COM3 #3,LS-2420D", "COM3 #5,LS-2420D"}));
  EXPECT_EQ(dialogs_.AddressQuestions()[0].controller, 1) << "the node the menu was opened on";
  EXPECT_EQ(bus.UnitConfig(1)->Address(), 7);
  EXPECT_EQ(bus.UnitConfig(0)->Address(), 3);
  const QString said = Text(
      msg::kAddressOf, {std::string("COM3 #5"), FormatText(window.Messages().Text(msg::kAddressSet), {int64_t{7}})});
  ASSERT_EQ(dialogs_.Informations().size(), 1u);
  EXPECT_EQ(dialogs_.Informations()[0], said);
  EXPECT_EQ(CountInfo(said), 1);
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_EQ(TreeTexts(), (QStringList{"COM3 #3,LS-2420D", "COM3 #7,LS-2420D", "New File"}));
  EXPECT_EQ(window.CurrentEntry()->BusAddress, 7);
  EXPECT_EQ(window.CurrentEntry()->Config.Address(), 7);
}

TEST_F(BusMenuTest, AnAddressAlreadyAnsweringOrTypedWrongIsRefusedAndTheControllerKeepsItsOwn) {
  sim::Controller& bus = simulator.AddBus(Unit(3, 0x03), {Unit(3, 0x03), Unit(5, 0x05)});
  simulator.Start();
  TFormLUM& window = ScannedBus(bus, "1-8");

  for (const char* typed : {"0", "256", "seven", "7-8"}) {
    dialogs_.AnswerNewAddress(AddressAnswer{1, QString::fromLatin1(typed)});
    window.actAssignAddressExecute();
    EXPECT_FALSE(window.Session().Busy()) << typed << ": refused before anything is sent";
    ASSERT_FALSE(dialogs_.Errors().empty());
    EXPECT_EQ(dialogs_.Errors().back(), Text(msg::kAssignAddressRefused, {std::string(typed)}));
  }
  dialogs_.AnswerNewAddress(AddressAnswer{1, QStringLiteral("3")});
  window.actAssignAddressExecute();
  ASSERT_TRUE(WaitForDevice());

  const QString taken = Text(
      msg::kAddressOf, {std::string("COM3 #5"), FormatText(window.Messages().Text(msg::kAddressTaken), {int64_t{3}})});
  ASSERT_EQ(dialogs_.Errors().size(), 5u);
  EXPECT_EQ(dialogs_.Errors().back(), taken);
  EXPECT_EQ(CountInfo(taken), 1);
  EXPECT_TRUE(dialogs_.Informations().empty());
  EXPECT_FALSE(FlagsWriteSent(bus, 1));
  EXPECT_EQ(bus.UnitConfig(1)->Address(), 5);
  EXPECT_EQ(TreeTexts(), (QStringList{"COM3 #3,LS-2420D", "COM3 #5,LS-2420D", "New File"}));
}

TEST_F(BusMenuTest, AControllerThatVanishesAfterTheWriteIsToldUnverified) {
  sim::ControllerSetup leaving = Unit(5, 0x05);
  leaving.vanishAfterWrites = 1;
  sim::Controller& bus = simulator.AddBus(leaving, {leaving});
  simulator.Start();
  TFormLUM& window = ScannedBus(bus, "5");

  dialogs_.AnswerNewAddress(AddressAnswer{0, QStringLiteral("9")});
  window.actAssignAddressExecute();
  ASSERT_TRUE(WaitForDevice());

  const QString unverified =
      Text(msg::kAddressOf,
           {std::string("COM3 #5"), FormatText(window.Messages().Text(msg::kAddressUnverified), {int64_t{9}})});
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors()[0], unverified);
  EXPECT_TRUE(dialogs_.Informations().empty());
  EXPECT_EQ(TreeTexts().front(), QStringLiteral("COM3 #5,LS-2420D")) << "not renamed without verification";
}

TEST_F(BusMenuTest, APortHeldByAnotherProgramIsToldAndNothingIsSent) {
  sim::Controller& bus = simulator.AddBus(Unit(5, 0x05), {Unit(5, 0x05)});
  simulator.Start();
  TFormLUM& window = ScannedBus(bus, "5");
  const auto holder = OpenPort(bus.Path(), kDeviceBaud);
  ASSERT_NE(holder, nullptr);
  bus.ClearRequestLog();

  dialogs_.AnswerNewAddress(AddressAnswer{0, QStringLiteral("9")});
  window.actAssignAddressExecute();
  ASSERT_TRUE(WaitForDevice());

  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors()[0], Text(msg::kAssignPortClosed, {std::string("COM3")}));
  EXPECT_TRUE(bus.RequestLog().empty());
  EXPECT_EQ(bus.UnitConfig(0)->Address(), 5);
}

TEST_F(BusMenuTest, TwoControllersOnOneAddressAreToldInTheLogAndTheStatusBar) {
  sim::Controller& bus = simulator.AddBus(Unit(5, 0x51), {Unit(5, 0x51), Unit(5, 0x52), Unit(7, 0x07)});
  simulator.Start();
  TFormLUM& window = ScannedBus(bus, "5-7");

  EXPECT_EQ(TreeTexts(), (QStringList{"COM3 #7,LS-2420D", "New File"}));
  EXPECT_EQ(CountInfo(QStringLiteral("地址 5 回复混乱：可能有两台控制器共用此地址")), 1);
  EXPECT_EQ(window.StatusPanel(names::kNodePanel).text(), Text(msg::kSharedAddress, {std::string("COM3"), int64_t{5}}));
}

// The dialogs themselves: what is chosen and typed is what they give; Cancel gives nothing.
TEST(BusDialogs, GiveWhatWasChosenAndTypedAndNothingWhenCancelled) {
  const auto answerWith = [](const char* dialogName, const char* choiceName, const char* editName, int index,
                             const QString& typed, bool accept) {
    QTimer::singleShot(0, [=] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(top);
        if (dialog == nullptr || dialog->objectName() != QString::fromLatin1(dialogName)) continue;
        dialog->findChild<QComboBox*>(QString::fromLatin1(choiceName))->setCurrentIndex(index);
        dialog->findChild<QLineEdit*>(QString::fromLatin1(editName))->setText(typed);
        accept ? dialog->accept() : dialog->reject();
      }
    });
  };
  BusQuestion bus;
  bus.ports = QStringList{"COM1", "COM3"};
  bus.addresses = QStringLiteral("1-32");
  answerWith("FormBusAddresses", "cbbBusPort", "edtBusAddresses", 1, QStringLiteral("2-9"), true);
  const auto busAnswer = ShowBusDialog(nullptr, bus);
  ASSERT_TRUE(busAnswer);
  EXPECT_EQ(busAnswer->port, 1);
  EXPECT_EQ(busAnswer->addresses, QStringLiteral("2-9"));
  answerWith("FormBusAddresses", "cbbBusPort", "edtBusAddresses", 0, QStringLiteral("4"), false);
  EXPECT_FALSE(ShowBusDialog(nullptr, bus));

  AddressQuestion address;
  address.controllers = QStringList{"COM3 #3,LS-2420D", "COM3 #5,LS-2420D"};
  answerWith("FormAssignAddress", "cbbAddressController", "edtNewAddress", 1, QStringLiteral("12"), true);
  const auto addressAnswer = ShowAddressDialog(nullptr, address);
  ASSERT_TRUE(addressAnswer);
  EXPECT_EQ(addressAnswer->controller, 1);
  EXPECT_EQ(addressAnswer->address, QStringLiteral("12"));
}

}  // namespace
}  // namespace lum::test
