// What the window tells the user while it works: port lists that follow what is plugged in,
// an information panel that follows its newest line, tool buttons that say what they do.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "ActionsTestFixture.h"
#include "FormFirmwareUpgrade.h"
#include "PortList.h"
#include "support/PtyPair.h"
#include "ui_FormFirmwareUpgrade.h"

namespace lum::test {
namespace {

class FeedbackTest : public ActionsTest {};

QStringList Items(const QComboBox& list) {
  QStringList items;
  for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
  return items;
}

TEST_F(FeedbackTest, PortListsShowPortsPluggedInAfterStartUp) {
  PtyPair first;
  WritePorts({{"COM1", first.SlavePath()}});
  TFormLUM& window = Create();
  TFormFirmwareUpgrade upgrade(window);
  QComboBox& real = *Find<QComboBox>(*window.ui().tsReal, "cbbRealComPort");
  PortList& loader = *upgrade.ui().ComboBoxCOMPort;
  ASSERT_EQ(Items(real), QStringList{"COM1"});
  ASSERT_EQ(Items(loader), QStringList{"COM1"});

  // A controller is plugged in on COM4; COM1 stays chosen where it was chosen.
  sim::Controller& plugged = simulator.AddController(sim::DefaultSetup(1));
  simulator.Start();
  WritePorts({{"COM1", first.SlavePath()}, {"COM4", plugged.Path()}});
  real.showPopup();
  real.hidePopup();
  EXPECT_EQ(Items(real), (QStringList{"COM1", "COM4"}));
  EXPECT_EQ(real.currentText(), "COM1");
  loader.showPopup();
  loader.hidePopup();
  EXPECT_EQ(Items(loader), (QStringList{"COM1", "COM4"}));

  // Connect looks again too, and finds the new controller.
  WritePorts({{"COM4", plugged.Path()}});
  window.ui().actConnectDevice->trigger();
  EXPECT_EQ(Items(real), QStringList{"COM4"});
  ASSERT_TRUE(WaitForDevice());
  EXPECT_EQ(TreeTexts().filter("COM4").size(), 1);
}

TEST_F(FeedbackTest, InformationPanelFollowsNewLinesPastALongOne) {
  TFormLUM& window = CreateShown();
  QPlainTextEdit& info = *window.ui().mmoInfo;
  window.Observer().InfoLine(std::string(600, 'x'));
  for (int i = 0; i < 40; ++i) window.Observer().InfoLine("line " + std::to_string(i));
  QScrollBar& bar = *info.verticalScrollBar();
  ASSERT_GT(bar.maximum(), 0);
  EXPECT_EQ(bar.value(), bar.maximum());
}

TEST_F(FeedbackTest, EveryToolButtonHasATipAndAFullSizePicture) {
  TFormLUM& window = Create();
  // The tool bar's own overflow button aside.
  const auto buttons =
      window.ui().ToolBar->findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^(tbtn|Tool)")));
  ASSERT_EQ(buttons.size(), 7);
  for (QToolButton* button : buttons) {
    const std::string name = button->objectName().toStdString();
    EXPECT_FALSE(button->toolTip().isEmpty()) << name;
    // A picture fills its place in its longer direction (some are not square).
    const QSize drawn = button->icon().pixmap(button->iconSize()).size();
    EXPECT_EQ(std::max(drawn.width(), drawn.height()), button->iconSize().width()) << name;
  }
  // The tip follows the action's caption, as a language switch changes it.
  window.ui().actConnectDevice->setText(QStringLiteral("Connect device"));
  EXPECT_EQ(window.ui().ToolBar->findChild<QToolButton*>("tbtnConnectDevice")->toolTip(), "Connect device");
}

}  // namespace
}  // namespace lum::test
