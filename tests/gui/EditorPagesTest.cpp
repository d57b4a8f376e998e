#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <fstream>
#include <iterator>
#include <string>

#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowFixture.h"
#include "data/ConfigFile.h"
#include "data/TypeTables.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class EditorPagesTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    CreateShown();
    FillTypeLists();
  }
  Ui::TFormLUM& u() { return Window().ui(); }
};

TEST_F(EditorPagesTest, ShowEntryDecodesEveryField) {
  TCONFIG_BLOCK block = SampleBlock(1);
  TDEVICE_CONFIG& entry = AddFileEntry("/data/a.LUM", block);
  entry.Model = "QV-2";
  entry.SerialNumber = 0x12000042;
  entry.FirmwareVersion = 123;
  entry.FirmwareBuild = 7;
  entry.BatchCode = 0x0C0907E0;
  SelectNode("a.LUM");
  ASSERT_EQ(Window().CurrentEntry(), &entry);

  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtModel")->text(), QStringLiteral("QV-2"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtSerialNumber")->text(), QStringLiteral("1200000066"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtFirmware")->text(), QStringLiteral("1.2.3.7"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtDateOfManufacture")->text(), QStringLiteral("12-09-2016"));
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->currentIndex(), 1);
  EXPECT_EQ(Window().StatusPanel(1).text(), QStringLiteral("双路普通型太阳能控制器"));
  EXPECT_TRUE(Find<QCheckBox>(*u().tsOther, "chkMI")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>(*u().tsOther, "rbPIR")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>(*u().tsOther, "rbPIR")->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>(*u().tsOther, "chkIRReceiver")->isChecked());
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->text(), QStringLiteral("6.20"));
  EXPECT_EQ(Find<QSpinBox>(*u().PageControl, "seSCDelay")->value(), 45);
  EXPECT_EQ(Window().Battery().DelayUnitFlag(), 0);
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("14.60"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattUVR")->text(), QStringLiteral("12.40"));
  EXPECT_EQ(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->currentIndex(), 2);
  EXPECT_TRUE(Find<QCheckBox>(*u().tsLoad, "chkLoopMode")->isChecked());
  EXPECT_TRUE(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->isEnabled());
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 1, 1), QStringLiteral("60"));
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 2, 5), QStringLiteral("50"));
  EXPECT_EQ(Window().Load().ShownChannel(), 0);
  EXPECT_FALSE(entry.Modified);
}

TEST_F(EditorPagesTest, StoringTheShownPagesGivesTheSameBlock) {
  const TCONFIG_BLOCK block = SampleBlock(1);
  TDEVICE_CONFIG& entry = AddFileEntry("/data/a.LUM", block);
  SelectNode("a.LUM");
  TCONFIG_BLOCK stored = block;
  Window().StorePages(stored);
  EXPECT_TRUE(stored.bytes() == block.bytes());
  EXPECT_TRUE(entry.Config.bytes() == block.bytes());
}

// A delay outside the spin box's range (from a file made elsewhere) is shown at the nearest end
// and kept as it is unless the user changes it.
TEST_F(EditorPagesTest, ADelayOutsideTheSpinBoxRangeSurvivesUntilTheUserChangesIt) {
  for (const uint8_t delay : {uint8_t{5}, uint8_t{100 | block_bits::kSCDelayUnit}}) {
    TCONFIG_BLOCK block = SampleBlock(1);
    block.SetSCDelay(delay);
    const std::string name = "delay" + std::to_string(delay) + ".LUM";
    AddFileEntry("/data/" + name, block);
    SelectNode(name.c_str());
    EXPECT_EQ(Find<QSpinBox>(*u().PageControl, "seSCDelay")->minimum(), 10);
    EXPECT_EQ(Find<QSpinBox>(*u().PageControl, "seSCDelay")->maximum(), 60);
    TCONFIG_BLOCK stored = block;
    Window().StorePages(stored);
    EXPECT_EQ(stored.SCDelay(), delay);
    Find<QSpinBox>(*u().PageControl, "seSCDelay")->setValue(45);
    Window().StorePages(stored);
    EXPECT_EQ(stored.SCDelay(), (delay & block_bits::kSCDelayUnit) | 45);
    Window().CurrentEntry()->Modified = false;  // the next entry is shown without the apply question
  }
}

// An entry whose product code has no device type (bits 0-3 set), with values of its own.
TCONFIG_BLOCK UnknownProductBlock() {
  TCONFIG_BLOCK block = SampleBlock(1);
  block.SetProductID(0x515611);
  block.SetAddress(7);
  block.SetSCV(900);
  block.SetBattOVP(65535);
  block.Channel(0, 0).Timing(0).SetMinutes(4321);
  return block;
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST_F(EditorPagesTest, UnknownProductShowsItsOwnIdentityAndEmptyDisabledPages) {
  AddFileEntry("/data/a.LUM", SampleBlock(1));
  TDEVICE_CONFIG& unknown = AddFileEntry("/data/b.LUM", UnknownProductBlock());
  unknown.SerialNumber = 0x01000001;
  unknown.Model = "QX-9";
  unknown.FirmwareVersion = 456;
  unknown.FirmwareBuild = 2;
  SelectNode("a.LUM");
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  Window().CurrentEntry()->Modified = false;  // nothing was edited
  ASSERT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->text(), QStringLiteral("6.20"));
  SelectNode("b.LUM");

  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->currentIndex(), -1);
  EXPECT_TRUE(Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->isEnabled()) << "a device type can be chosen";
  EXPECT_TRUE(Window().StatusPanel(1).text().isEmpty());
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtSerialNumber")->text(), QStringLiteral("0100000001"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtModel")->text(), QStringLiteral("QX-9"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "edtFirmware")->text(), QStringLiteral("4.5.6.2"));
  for (QLineEdit* edit :
       {Find<QLineEdit>(*u().PageControl, "lbledtSCV"), Find<QLineEdit>(*u().PageControl, "lbledtBattOVP"),
        Find<QLineEdit>(*u().PageControl, "lbledtBattFCV"), Find<QLineEdit>(*u().PageControl, "lbledtBattUVP"),
        Find<QLineEdit>(*u().PageControl, "lbledtBattUVR"), Find<QLineEdit>(*u().tsLoad, "lbledtCC"),
        Find<QLineEdit>(*u().tsLoad, "lbledtCV")}) {
    EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
    EXPECT_FALSE(edit->isEnabled()) << edit->objectName().toStdString();
  }
  for (QSpinBox* spin : {Find<QSpinBox>(*u().PageControl, "seSCDelay"), Find<QSpinBox>(*u().PageControl, "seOTP"),
                         Find<QSpinBox>(*u().tsOther, "seAddress")}) {
    EXPECT_TRUE(spin->text().isEmpty()) << spin->objectName().toStdString();
    EXPECT_FALSE(spin->isEnabled()) << spin->objectName().toStdString();
  }
  for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{
           Find<QCheckBox>(*u().tsOther, "chkMI"), Find<QRadioButton>(*u().tsOther, "rbPIR"),
           Find<QRadioButton>(*u().tsOther, "rbRainDetect"), Find<QCheckBox>(*u().tsOther, "chkIRReceiver"),
           Find<QCheckBox>(*u().tsLoad, "chkPWMDIM"), Find<QCheckBox>(*u().tsLoad, "chkLoopMode"),
           Find<QCheckBox>(*u().PageControl, "chkATC")}) {
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
  }
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbBatteryType")->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->currentIndex(), -1);
  EXPECT_FALSE(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->isEnabled());
  EXPECT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->Count(), 0);
  EXPECT_FALSE(Find<QTableWidget>(*u().tsLoad, "StringGrid")->isEnabled());
  for (int r = 1; r <= 5; ++r) {
    EXPECT_TRUE(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 1, r).isEmpty()) << r;
    EXPECT_TRUE(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 2, r).isEmpty()) << r;
  }
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 0, 1), QStringLiteral("第一段"))
      << "captions stay";
  EXPECT_FALSE(unknown.Modified);
  EXPECT_EQ(Window().Load().ShownChannel(), -1);
}

TEST_F(EditorPagesTest, UnknownProductIsStoredUnchanged) {
  const TCONFIG_BLOCK original = UnknownProductBlock();
  AddFileEntry(Dir() + "/a.LUM", SampleBlock(0));
  TDEVICE_CONFIG& unknown = AddFileEntry(Dir() + "/b.LUM", original);
  SelectNode("a.LUM");
  SelectNode("b.LUM");

  const std::string saved = Dir() + "/saved.LUM";
  dialogs_.AnswerFileName(QString::fromStdString(saved));
  u().actSaveConfigToFile->trigger();
  EXPECT_TRUE(unknown.Config.bytes() == original.bytes());
  const std::string expected = Dir() + "/expected.LUM";
  SaveConfigFile(expected, original);
  EXPECT_EQ(FileBytes(saved), FileBytes(expected));

  // Applied on a switch and shown again: still its own block.
  Window().MarkModified();
  dialogs_.AnswerYesNo(true);
  SelectNode("a.LUM");
  SelectNode("saved.LUM");
  EXPECT_TRUE(unknown.Config.bytes() == original.bytes());
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->text(), QString());
}

TEST_F(EditorPagesTest, UnknownProductIsNotWrittenAndNotReviewed) {
  const TCONFIG_BLOCK original = UnknownProductBlock();
  AddFileEntry("/data/a.LUM", SampleBlock(0));
  TDEVICE_CONFIG& unknown = AddFileEntry("/data/b.LUM", original);
  SelectNode("a.LUM");
  SelectNode("b.LUM");
  Window().actWriteToDeviceExecute();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_TRUE(dialogs_.ChangeViews().empty());
  EXPECT_TRUE(u().mmoInfo->toPlainText().contains(
      QStringLiteral("Product code 0x00515611 is not a known device type; nothing was sent.")))
      << u().mmoInfo->toPlainText().toStdString();
  EXPECT_TRUE(unknown.Config.bytes() == original.bytes());
}

TEST_F(EditorPagesTest, ChoosingADeviceTypeShowsTheEntrysOwnValuesToEdit) {
  const TCONFIG_BLOCK original = UnknownProductBlock();
  AddFileEntry(Dir() + "/a.LUM", SampleBlock(0));
  TDEVICE_CONFIG& unknown = AddFileEntry(Dir() + "/b.LUM", original);
  SelectNode("a.LUM");
  SelectNode("b.LUM");

  Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->setCurrentIndex(1);
  emit Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->activated(1);
  EXPECT_TRUE(unknown.Modified);
  EXPECT_EQ(Window().StatusPanel(1).text(), Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->itemText(1));
  EXPECT_TRUE(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->text(), QStringLiteral("9.00"));
  EXPECT_EQ(Find<QSpinBox>(*u().tsOther, "seAddress")->text(), QStringLiteral("7"));
  EXPECT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->Count(), 2);
  EXPECT_TRUE(Find<QTableWidget>(*u().tsLoad, "StringGrid")->isEnabled());
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 1, 1), QStringLiteral("4321"));
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 2, 1), QStringLiteral("10"));

  Find<QLineEdit>(*u().PageControl, "lbledtSCV")->setText(QStringLiteral("7.5"));
  const std::string saved = Dir() + "/typed.LUM";
  dialogs_.AnswerFileName(QString::fromStdString(saved));
  u().actSaveConfigToFile->trigger();
  TCONFIG_BLOCK expected = original;
  expected.SetProductID(DeviceTypes()[1].ProductCode);
  expected.SetSCV(750);
  EXPECT_TRUE(OpenConfigFile(saved).block.bytes() == expected.bytes());
}

TEST_F(EditorPagesTest, AddressAndTemperatureLimitSurviveAnUnrelatedEdit) {
  TCONFIG_BLOCK block = SampleBlock(1);
  block.SetAddress(5);
  block.SetOTP(70);
  TDEVICE_CONFIG& entry = AddFileEntry("/data/a.LUM", block);
  SelectNode("a.LUM");
  EXPECT_EQ(Find<QSpinBox>(*u().tsOther, "seAddress")->value(), 5);
  Find<QLineEdit>(*u().PageControl, "lbledtSCV")->setText(QStringLiteral("7.00"));
  dialogs_.AnswerYesNo(true);
  ASSERT_EQ(Window().ConfirmApply(), ApplyOutcome::Proceed);
  EXPECT_EQ(entry.Config.SCV(), 700);
  EXPECT_EQ(entry.Config.Address(), 5);
  EXPECT_EQ(entry.Config.OTP(), 70);
}

TEST_F(EditorPagesTest, RemoteControlRowEnablesOnlyRatedCurrentAndListsTwoOutputs) {
  TCONFIG_BLOCK block = SampleBlock(3);
  block.SetCapFlags(0);
  AddFileEntry("/data/remote.LUM", block);
  SelectNode("remote.LUM");
  for (QWidget* off : std::initializer_list<QWidget*>{
           Find<QGroupBox>(*u().PageControl, "grpBatteryType"), Find<QGroupBox>(*u().PageControl, "grpSolarControl"),
           Find<QCheckBox>(*u().tsLoad, "chkPWMDIM"), Find<QCheckBox>(*u().PageControl, "chkATC"),
           Find<QSpinBox>(*u().PageControl, "seOTP"), Find<QLineEdit>(*u().tsLoad, "lbledtCV"),
           Find<QLabel>(*u().tsLoad, "lblLimitedV")})
    EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
  EXPECT_TRUE(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->isEnabled());
  EXPECT_TRUE(Find<QLabel>(*u().tsLoad, "lblCC")->isEnabled());
  ASSERT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->Count(), 2);
  EXPECT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->ItemText(0), QStringLiteral("第 1 路"));
  EXPECT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->ItemText(1), QStringLiteral("第 2 路"));
  EXPECT_EQ(Find<RadioGroup>(*u().tsLoad, "rgChannel")->ItemIndex(), 0);
  EXPECT_EQ(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->text(), QStringLiteral("1.50"));
}

TEST_F(EditorPagesTest, CapabilityByteOverridesTheDeviceRow) {
  TCONFIG_BLOCK block = SampleBlock(0);
  block.SetCapFlags(0x48);  // battery and rated current only
  AddFileEntry("/data/caps.LUM", block);
  SelectNode("caps.LUM");
  EXPECT_TRUE(Find<QGroupBox>(*u().PageControl, "grpBatteryType")->isEnabled());
  EXPECT_FALSE(Find<QGroupBox>(*u().PageControl, "grpSolarControl")->isEnabled());
  EXPECT_FALSE(Find<QCheckBox>(*u().tsLoad, "chkPWMDIM")->isEnabled());
  EXPECT_TRUE(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->isEnabled());
}

TEST_F(EditorPagesTest, SwitchingEntriesNeverStoresTheShownChannelIntoTheNewEntry) {
  TCONFIG_BLOCK first = SampleBlock(1);
  TCONFIG_BLOCK second = SampleBlock(1);
  second.Channel(0, 0).Timing(0).SetMinutes(900);
  second.Channel(0, 1).Timing(0).SetMinutes(901);
  TDEVICE_CONFIG& a = AddFileEntry("/data/a.LUM", first);
  TDEVICE_CONFIG& b = AddFileEntry("/data/b.LUM", second);
  SelectNode("a.LUM");
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  ASSERT_EQ(Window().Load().ShownChannel(), 1);
  ASSERT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 1, 1), QStringLiteral("61"));
  a.Modified = false;  // nothing was edited

  SelectNode("b.LUM");
  EXPECT_EQ(Window().Load().ShownChannel(), 0);
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 1, 1), QStringLiteral("900"));
  EXPECT_TRUE(b.Config.bytes() == second.bytes());
  EXPECT_TRUE(a.Config.bytes() == first.bytes());
}

TEST_F(EditorPagesTest, ChangingTheChannelStoresTheEditsOfTheChannelShownBefore) {
  TDEVICE_CONFIG& a = AddFileEntry("/data/a.LUM", SampleBlock(1));
  SelectNode("a.LUM");
  SetGridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 2, 3, QStringLiteral("70"));
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  EXPECT_EQ(a.Config.Channel(0, 0).Timing(2).Power(), 70);
  EXPECT_EQ(GridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), 2, 3), QStringLiteral("31"));
}

TEST_F(EditorPagesTest, ValuesAtOrBelowTheThresholdsKeepTheOldValues) {
  AddFileEntry("/data/a.LUM", SampleBlock(0));
  SelectNode("a.LUM");
  Find<QLineEdit>(*u().PageControl, "lbledtSCV")->setText(QStringLiteral("0.80"));
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("2.5"));
  Find<QLineEdit>(*u().PageControl, "lbledtBattUVP")->setText(QStringLiteral("2"));
  Find<QLineEdit>(*u().PageControl, "lbledtBattFCV")->setText(QStringLiteral("13.00"));
  TCONFIG_BLOCK stored = SampleBlock(0);
  Window().StorePages(stored);
  EXPECT_EQ(stored.SCV(), 620);
  EXPECT_EQ(stored.BattOVP(), 14600);
  EXPECT_EQ(stored.BattUVP(), 11000);
  EXPECT_EQ(stored.BattFCV(), 13000);
}

TEST_F(EditorPagesTest, ConversionErrorShowsTheBoxAndStopsAtThatField) {
  TDEVICE_CONFIG& a = AddFileEntry("/data/a.LUM", SampleBlock(0));
  AddFileEntry("/data/b.LUM", SampleBlock(0));
  SelectNode("a.LUM");
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.00"));
  Find<QLineEdit>(*u().PageControl, "lbledtBattFCV")->setText(QStringLiteral("1x.5"));
  Find<QLineEdit>(*u().PageControl, "lbledtBattUVP")->setText(QStringLiteral("10.50"));
  dialogs_.AnswerYesNo(true);
  SelectNode("b.LUM");

  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors().front(),
            QStringLiteral("浮充转换电压：“1x.5”不是 0.00 到 65.53 之间的数字。请只输入数字，小数部分前用“．”。"));
  EXPECT_EQ(Window().CurrentEntry(), &a);
  EXPECT_EQ(a.Config.BattOVP(), 14000);  // stored before the failing field
  EXPECT_EQ(a.Config.BattFCV(), 13700);
  EXPECT_EQ(a.Config.BattUVP(), 11000);  // after it: untouched
  EXPECT_TRUE(a.Modified);
}

TEST_F(EditorPagesTest, AnsweringNoShowsTheStoredValuesAndYesStoresThem) {
  TDEVICE_CONFIG& a = AddFileEntry("/data/a.LUM", SampleBlock(0));
  AddFileEntry("/data/b.LUM", SampleBlock(0));
  SelectNode("a.LUM");
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("15.00"));
  ASSERT_TRUE(a.Modified);
  dialogs_.AnswerYesNo(false);
  ASSERT_EQ(Window().ConfirmApply(), ApplyOutcome::Proceed);
  EXPECT_FALSE(a.Modified);
  EXPECT_EQ(a.Config.BattOVP(), 14600);
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("14.60"))
      << "the pages show what the entry holds";
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("15.00"));
  dialogs_.AnswerYesNo(true);
  SelectNode("b.LUM");
  ASSERT_EQ(dialogs_.Questions().size(), 2u);
  EXPECT_EQ(dialogs_.Questions()[1].first, QStringLiteral("重要信息"));
  EXPECT_EQ(dialogs_.Questions()[1].second, QStringLiteral("当前数据已修改，确认更新吗？"));
  EXPECT_FALSE(a.Modified);
  EXPECT_EQ(a.Config.BattOVP(), 15000);
}

TEST_F(EditorPagesTest, UnmodifiedEntryIsSwitchedWithoutAQuestion) {
  TDEVICE_CONFIG& a = AddFileEntry("/data/a.LUM", SampleBlock(0));
  TCONFIG_BLOCK other = SampleBlock(0);
  other.SetBattOVP(14800);
  TDEVICE_CONFIG& b = AddFileEntry("/data/b.LUM", other);
  SelectNode("a.LUM");
  ASSERT_EQ(Window().CurrentEntry(), &a);
  const QString shownForA = Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text();
  const TCONFIG_BLOCK left = a.Config;
  SelectNode("b.LUM");
  EXPECT_TRUE(dialogs_.Questions().empty());
  EXPECT_EQ(Window().CurrentEntry(), &b) << "the switch did not happen";
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("14.80"))
      << "the pages still show " << shownForA.toStdString();
  EXPECT_EQ(a.Config, left) << "the entry left was changed";
}

}  // namespace
}  // namespace lum::test
