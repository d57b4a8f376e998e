#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QToolButton>

#include "WindowFixture.h"
#include "WindowNames.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

// Every component that other parts of the program name.
const char* const kComponents[] = {"FormLUM",
                                   "MainMenu",
                                   "ToolBar",
                                   "StatusBar",
                                   "pnlWindow",
                                   "mmoInfo",
                                   "tvDevices",
                                   "pnlMain",
                                   "PageControl",
                                   "pnlMainButton",
                                   "btnOpenConfigFile",
                                   "btnSaveConfigToFile",
                                   "btnConnectDevice",
                                   "btnWriteToDevice",
                                   "tbtnOpenConfigFile",
                                   "tbtnSaveConfigFile",
                                   "tbtnSeparator1",
                                   "tbtnConnectDevice",
                                   "tbtnWriteToDevice",
                                   "tbtnSeparator2",
                                   "tbtnFirmwareUpgrade",
                                   "tbtnSeparator3",
                                   "ToolButton1",
                                   "tbtnSeparator4",
                                   "tbtnAboutLUM",
                                   "tsBase",
                                   "tsPower",
                                   "tsLoad",
                                   "tsOther",
                                   "tsReal",
                                   "tsTest",
                                   "tsSetting",
                                   "tsBlackBox",
                                   "Panel1",
                                   "Panel3",
                                   "Panel5",
                                   "Panel6",
                                   "Panel7",
                                   "grpDeviceTypes",
                                   "cbbDeviceTypes",
                                   "grpDeviceBaseInfo",
                                   "lblDeviceModel",
                                   "edtModel",
                                   "lblSerialNumber",
                                   "edtSerialNumber",
                                   "lblFirmware",
                                   "edtFirmware",
                                   "lblDateOfManufacture",
                                   "edtDateOfManufacture",
                                   "lblRuntime",
                                   "edtRuntime",
                                   "grpBatteryType",
                                   "cbbBatteryType",
                                   "seBatteryCells",
                                   "lblBatteryCells",
                                   "lblBattOVP",
                                   "lbledtBattOVP",
                                   "lblBattFCV",
                                   "lbledtBattFCV",
                                   "lblBattUVP",
                                   "lbledtBattUVP",
                                   "lblBattUVR",
                                   "lbledtBattUVR",
                                   "grpSolarControl",
                                   "lblSCV",
                                   "lbledtSCV",
                                   "lblSCDelay",
                                   "seSCDelay",
                                   "btnSCDelayUnit",
                                   "grpTemp",
                                   "chkATC",
                                   "lblOTP",
                                   "seOTP",
                                   "lblTempUnit",
                                   "rgChannel",
                                   "StringGrid",
                                   "seInput",
                                   "grpChMode",
                                   "cbbWorkMode",
                                   "chkLoopMode",
                                   "chkPWMDIM",
                                   "grpEnergySaving",
                                   "chkEnergySaving",
                                   "TrackBar1",
                                   "lblLimitedV",
                                   "lbledtCV",
                                   "lblCC",
                                   "lbledtCC",
                                   "grpMultipurposeInterface",
                                   "chkMI",
                                   "rbRainDetect",
                                   "rbPIR",
                                   "rbDIMOut",
                                   "chkIRReceiver",
                                   "grpNet",
                                   "lblAddress",
                                   "seAddress",
                                   "grpRunInfo",
                                   "lbledtRealTimer",
                                   "lbledtRealBattV",
                                   "lbledtRealSolarV",
                                   "lbledtRealLoad1A",
                                   "grpCommPort",
                                   "cbbRealComPort",
                                   "btnRealPort",
                                   "grpAnalog",
                                   "lbledtBattV",
                                   "seBattVRef",
                                   "lbledtSolarV",
                                   "seSolarVRef",
                                   "lbledtDCInV",
                                   "seDCInVRef",
                                   "lbledtTemp",
                                   "seTempRef",
                                   "lbledtLoad1V",
                                   "seLoad1VRef",
                                   "lbledtLoad1A",
                                   "seLoad1ARef",
                                   "seLoad1ARef0",
                                   "lbledtLoad2V",
                                   "seLoad2VRef",
                                   "lbledtLoad2A",
                                   "seLoad2ARef",
                                   "seLoad2ARef0",
                                   "btnReadRef",
                                   "btnWriteRef",
                                   "grpDigital",
                                   "lblLoad1",
                                   "seTime1",
                                   "seOut1",
                                   "lblLoad2",
                                   "seTime2",
                                   "seOut2",
                                   "btnSetD",
                                   "grpStatus",
                                   "txtTimer",
                                   "imgStatus",
                                   "Panel4",
                                   "chkMonitor",
                                   "CheckBoxMemo",
                                   "CheckBoxError",
                                   "Memo",
                                   "grpBaseSet",
                                   "lbledtPIDSet",
                                   "lbledtModelSet",
                                   "lbledtManuDateSet",
                                   "grpFuncSet",
                                   "lblFuncSetHex",
                                   "chkFuncSet8",
                                   "chkFuncSet7",
                                   "chkFuncSet6",
                                   "chkFuncSet5",
                                   "chkFuncSet4",
                                   "chkFuncSet3",
                                   "chkFuncSet2",
                                   "chkFuncSet1",
                                   "grpMaxSet",
                                   "lblInV",
                                   "lbledtInV",
                                   "lblOutPower",
                                   "lbledtOutPower",
                                   "lbledtOutV",
                                   "lbledtOutA",
                                   "btnReadSetting",
                                   "btnWriteSetting",
                                   "btnTest",
                                   "MenuFile",
                                   "MenuOpenConfigFile",
                                   "MenuSaveConfigToFile",
                                   "N2",
                                   "MenuExitLUM",
                                   "MenuTools",
                                   "MenuConnectDevice",
                                   "MenuWriteToDevice",
                                   "N4",
                                   "MenuFirmwareUpgrade",
                                   "N3",
                                   "MemuOption",
                                   "N5",
                                   "N6",
                                   "MenuLanguage",
                                   "SubMenuLngChn",
                                   "MenuHelp",
                                   "MenuHelpOnHelp",
                                   "N1",
                                   "MenuAboutLUM",
                                   "actOpenConfigFile",
                                   "actHelpOnHelp",
                                   "actAboutLUM",
                                   "actExitLUM",
                                   "actOption",
                                   "actFirmwareUpgrade",
                                   "actConnectDevice",
                                   "actWriteToDevice",
                                   "actSaveConfigToFile",
                                   "actSelectLanguage",
                                   "actAutoScale",
                                   "Timer",
                                   "StatusPanel0",
                                   "StatusPanel1",
                                   "StatusPanel2",
                                   "StatusPanel3"};

// The components that carry the translation tag, as the language files know them.
const char* const kTagged[] = {"tsBase",
                               "tsPower",
                               "tsLoad",
                               "tsOther",
                               "tsReal",
                               "tsBlackBox",
                               "grpDeviceTypes",
                               "grpDeviceBaseInfo",
                               "grpBatteryType",
                               "grpTemp",
                               "grpSolarControl",
                               "grpChMode",
                               "grpEnergySaving",
                               "grpMultipurposeInterface",
                               "grpRunInfo",
                               "grpCommPort",
                               "lblDeviceModel",
                               "lblSerialNumber",
                               "lblFirmware",
                               "lblDateOfManufacture",
                               "lblBattOVP",
                               "lblBattFCV",
                               "lblBattUVP",
                               "lblBattUVR",
                               "lblBatteryCells",
                               "lblOTP",
                               "lblTempUnit",
                               "lblSCDelay",
                               "lblSCV",
                               "lblLimitedV",
                               "lblCC",
                               "lblAddress",
                               "chkATC",
                               "chkLoopMode",
                               "chkPWMDIM",
                               "chkEnergySaving",
                               "chkMI",
                               "chkIRReceiver",
                               "rbRainDetect",
                               "rbPIR",
                               "rgChannel",
                               "btnRealPort",
                               "lbledtRealBattV",
                               "lbledtRealSolarV",
                               "lbledtRealLoad1A",
                               "lbledtRealTimer",
                               "MenuFile",
                               "MenuOpenConfigFile",
                               "MenuSaveConfigToFile",
                               "MenuTools",
                               "MemuOption",
                               "MenuHelp",
                               "actOpenConfigFile",
                               "actHelpOnHelp",
                               "actAboutLUM",
                               "actExitLUM",
                               "actOption",
                               "actFirmwareUpgrade",
                               "actConnectDevice",
                               "actWriteToDevice",
                               "actSaveConfigToFile",
                               "actNightProfile",
                               "actProvisioning",
                               "actLiveChart",
                               "actRestoreBackup"};

using FormLayoutTest = WindowFixture;

TEST_F(FormLayoutTest, EveryComponentExistsUnderItsName) {
  TFormLUM& window = Create();
  for (const char* name : kComponents) {
    const QString objectName = QString::fromLatin1(name);
    EXPECT_TRUE(window.objectName() == objectName || window.findChild<QObject*>(objectName) != nullptr) << name;
  }
}

TEST_F(FormLayoutTest, TranslationTagMarksExactlyTheTranslatableComponents) {
  TFormLUM& window = Create();
  QSet<QString> expected;
  for (const char* name : kTagged) expected.insert(QString::fromLatin1(name));
  QSet<QString> tagged;
  for (QObject* object : window.findChildren<QObject*>())
    if (object->property(names::kTagProperty).toInt() == names::kTranslatableTag) tagged.insert(object->objectName());
  EXPECT_EQ(tagged, expected);
  EXPECT_EQ(window.findChild<QObject*>("seInput")->property(names::kTagProperty).toInt(), -1);
  EXPECT_EQ(window.Battery().DelayUnitFlag(), 1);
}

TEST_F(FormLayoutTest, LabelledEditsHaveTheirCaptionLabels) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  ASSERT_NE(window.EditLabel(u.lbledtRealTimer), nullptr);
  EXPECT_EQ(window.EditLabel(u.lbledtRealTimer)->text(), QStringLiteral("上电时间"));
  EXPECT_EQ(window.EditLabel(u.lbledtBattOVP)->text(), QStringLiteral("V"));
  EXPECT_EQ(window.EditLabel(u.lbledtCC)->text(), QStringLiteral("A"));
  EXPECT_EQ(window.EditLabel(u.edtModel), nullptr);
}

TEST_F(FormLayoutTest, ActionsHaveTheirCaptionsShortcutsAndStartStates) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  EXPECT_EQ(u.actOpenConfigFile->text(), QStringLiteral("打开文件..."));
  EXPECT_EQ(u.actOpenConfigFile->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(u.actExitLUM->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
  EXPECT_EQ(u.actFirmwareUpgrade->shortcut(), QKeySequence(Qt::Key_F12));
  EXPECT_EQ(u.actConnectDevice->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(u.actWriteToDevice->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(u.actSaveConfigToFile->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
  EXPECT_EQ(u.actHelpOnHelp->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_TRUE(u.actAutoScale->text().isEmpty());
  EXPECT_EQ(u.MenuOpenConfigFile->text(), QStringLiteral("打开配置文件..."));
  EXPECT_EQ(u.MenuExitLUM->text(), QStringLiteral("退出 LUM"));
  EXPECT_EQ(u.btnConnectDevice->text(), QStringLiteral("连接设备"));
  EXPECT_EQ(u.MenuLanguage->title(), QStringLiteral("&Language"));
}

TEST_F(FormLayoutTest, BoundControlsFollowTheirActionButEntriesWithOwnCaptionsKeepThem) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  auto* tool = window.findChild<QToolButton*>("tbtnWriteToDevice");
  ASSERT_NE(tool, nullptr);
  EXPECT_FALSE(tool->isEnabled());
  u.actWriteToDevice->setEnabled(true);
  EXPECT_TRUE(u.btnWriteToDevice->isEnabled());
  EXPECT_TRUE(u.MenuWriteToDevice->isEnabled());
  EXPECT_TRUE(tool->isEnabled());
  EXPECT_EQ(tool->toolButtonStyle(), Qt::ToolButtonIconOnly);

  u.actOpenConfigFile->setText(QStringLiteral("Open file..."));
  u.actExitLUM->setText(QStringLiteral("Exit LUM"));
  EXPECT_EQ(u.MenuOpenConfigFile->text(), QStringLiteral("打开配置文件..."));
  EXPECT_EQ(u.btnOpenConfigFile->text(), QStringLiteral("Open file..."));
  EXPECT_EQ(u.MenuExitLUM->text(), QStringLiteral("Exit LUM"));

  // The help entry stays disabled even though its action is enabled.
  u.actHelpOnHelp->setEnabled(false);
  u.actHelpOnHelp->setEnabled(true);
  EXPECT_FALSE(u.MenuHelpOnHelp->isEnabled());
}

TEST_F(FormLayoutTest, MenuEntriesAndButtonsRunTheirActions) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  int opened = 0;
  QObject::connect(u.actOpenConfigFile, &QAction::triggered, [&] { ++opened; });
  for (int i = 0; i < 3; ++i) dialogs_.AnswerFileName({});  // each run shows the open dialog
  u.MenuOpenConfigFile->trigger();
  u.btnOpenConfigFile->click();
  window.findChild<QToolButton*>("tbtnOpenConfigFile")->click();
  EXPECT_EQ(opened, 3);
}

}  // namespace
}  // namespace lum::test
