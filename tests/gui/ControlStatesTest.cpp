// Controls show the state they are in: the delay unit, the battery type and its fields, the
// row-5 caption, the device type in the status bar, also right after a language switch; and
// a value that is not taken is reported, not dropped silently.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "LanguageTestFixture.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowNames.h"
#include "data/TypeTables.h"
#include "language/LanguageKeys.h"
#include "language/Settings.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class ControlStatesTest : public LanguageFixture {
 protected:
  void SetUp() override {
    LanguageFixture::SetUp();
    CopyEnglishFile();
    CreateWindows();
  }
  Ui::TFormLUM& u() { return Window().ui(); }
  QString DevicePanel() { return Window().StatusPanel(names::kDevicePanel).text(); }
  QString RowFiveCaption() { return GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 0, 5); }
  bool VoltagesUnlocked() {
    for (QLineEdit* field :
         {Find<QLineEdit>(*u().PageControl, "lbledtBattOVP"), Find<QLineEdit>(*u().PageControl, "lbledtBattFCV"),
          Find<QLineEdit>(*u().PageControl, "lbledtBattUVP"), Find<QLineEdit>(*u().PageControl, "lbledtBattUVR")})
      if (!field->isEnabled()) return false;
    return true;
  }
};

TEST_F(ControlStatesTest, DelayUnitButtonShowsTheUnitItCounts) {
  TCONFIG_BLOCK block = SampleBlock(1);
  block.SetSCDelay(static_cast<uint8_t>(45 | block_bits::kSCDelayUnit));
  AddFileEntry("/cfg/a.LUM", block);
  SelectNode("a.LUM");
  EXPECT_EQ(Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->text(), QStringLiteral("秒"));
  Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->click();
  EXPECT_EQ(Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->text(), QStringLiteral("分"));
  Choose(QStringLiteral("English"));
  EXPECT_EQ(Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->text(), QStringLiteral("min"));
  EXPECT_GE(Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->minimumWidth(),
            Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->fontMetrics().horizontalAdvance("min") + 8)
      << "the unit's name fits its button";
}

TEST_F(ControlStatesTest, BatteryTypeFollowsThePresetsAndCustomUnlocksTheVoltages) {
  TCONFIG_BLOCK lead = SampleBlock(1);
  const TBATTERY_TYPES& twelveVolt = BatteryTypes()[2];
  lead.SetBattOVP(twelveVolt.OVP);
  lead.SetBattFCV(twelveVolt.FCV);
  lead.SetBattUVP(twelveVolt.UVP);
  lead.SetBattUVR(twelveVolt.UVR);
  AddFileEntry("/cfg/lead.LUM", lead);
  AddFileEntry("/cfg/own.LUM", SampleBlock(1));

  SelectNode("lead.LUM");
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbBatteryType")->currentIndex(), 2);
  EXPECT_FALSE(VoltagesUnlocked());
  SelectNode("own.LUM");
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbBatteryType")->currentIndex(), 0);
  EXPECT_TRUE(VoltagesUnlocked());
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("14.60"));

  Find<QComboBox>(*u().PageControl, "cbbBatteryType")->setCurrentIndex(3);
  Window().Battery().cbbBatteryTypeChange();
  EXPECT_FALSE(VoltagesUnlocked());
  Find<QComboBox>(*u().PageControl, "cbbBatteryType")->setCurrentIndex(0);
  Window().Battery().cbbBatteryTypeChange();
  EXPECT_TRUE(VoltagesUnlocked()) << "custom values must be typeable";
}

TEST_F(ControlStatesTest, RowFiveCaptionFollowsTheWorkModeShown) {
  TCONFIG_BLOCK block = SampleBlock(1);
  block.Channel(0, 1).SetMode(0);  // channel 1 on always, channel 0 mode 2
  AddFileEntry("/cfg/a.LUM", block);
  SelectNode("a.LUM");
  EXPECT_EQ(RowFiveCaption(), QStringLiteral("晨亮段"));
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  EXPECT_EQ(RowFiveCaption(), QStringLiteral("第五段"));
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(0);
  EXPECT_EQ(RowFiveCaption(), QStringLiteral("晨亮段"));
}

TEST_F(ControlStatesTest, StatusBarNamesTheTypeChosenForNewFile) {
  Window().RebuildEntryTree();
  ASSERT_EQ(DevicePanel(), QString());
  Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->setCurrentIndex(2);
  Window().cbbDeviceTypesChange();
  EXPECT_EQ(DevicePanel(), Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->itemText(2));
}

TEST_F(ControlStatesTest, LanguageSwitchRenamesOutputsAndTypeAtOnce) {
  AddFileEntry("/cfg/a.LUM", SampleBlock(1));
  SelectNode("a.LUM");
  Choose(QStringLiteral("English"));
  EXPECT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->ItemText(1), QStringLiteral("Output 2"));
  EXPECT_EQ(DevicePanel(), Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->itemText(1));
  EXPECT_NE(DevicePanel(), QString::fromUtf8(DeviceTypes()[1].DefaultName));
}

TEST_F(ControlStatesTest, AValueNotTakenIsToldInTheInformationPanel) {
  TDEVICE_CONFIG& entry = AddFileEntry("/cfg/a.LUM", SampleBlock(1));
  SelectNode("a.LUM");
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("0.9"));
  Find<QLineEdit>(*u().PageControl, "lbledtSCV")->setText(QStringLiteral("0.80"));
  dialogs_.AnswerYesNo(true);
  ASSERT_EQ(Window().ConfirmApply(), ApplyOutcome::Proceed);
  EXPECT_EQ(entry.Config.BattOVP(), 14600);
  EXPECT_EQ(entry.Config.SCV(), 620);
  const QString info = u().mmoInfo->toPlainText();
  EXPECT_TRUE(info.contains(QStringLiteral("过充保护电压 not taken: \"0.9\" is not above 3.00, so 14.60 stays.")))
      << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("光控点电压 not taken: \"0.80\"")));
}

}  // namespace
}  // namespace lum::test

namespace lum::test {
namespace {

class BuiltInLanguageTest : public LanguageFixture {};

TEST_F(BuiltInLanguageTest, BuiltInLanguageIsOfferedWhateverIsRememberedAndQtSpeaksIt) {
  CopyEnglishFile();
  Settings(Dir()).SetLanguageFile("LUM_en.lng");
  CreateWindows();
  Ui::TFormLUM& u = Window().ui();
  const QString chinese = QString::fromUtf8(language_keys::kDefaultLanguageName);
  EXPECT_EQ(u.PageControl->tabText(0), QStringLiteral("Device"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
  ASSERT_NE(Entry(chinese), nullptr);

  Choose(chinese);
  EXPECT_EQ(u.PageControl->tabText(0), QStringLiteral("设备"));
  EXPECT_EQ(u.actConnectDevice->text(), QStringLiteral("连接设备"));
  EXPECT_EQ(LoadFile("LUM_chs.lng").ReadOr("Strings", "FormLUM.tsBase.Caption", ""), "设备")
      << "the built-in language's file is completed with built-in texts";
  EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"))
      << "message box buttons speak the chosen language";

  Choose(QStringLiteral("English"));
  EXPECT_EQ(u.PageControl->tabText(0), QStringLiteral("Device"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
}

}  // namespace
}  // namespace lum::test
