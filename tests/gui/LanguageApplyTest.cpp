#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "LanguageTestFixture.h"
#include "language/LanguageKeys.h"
#include "language/MessageSlots.h"
#include "ui_FormFirmwareUpgrade.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

namespace keys = language_keys;

constexpr int kCongratulations = 16;

class LanguageApplyTest : public LanguageFixture {
 protected:
  // A language "B" holding these entries after its FileInfo.
  void WriteB(const std::vector<std::string>& entries, const std::string& name = "B.lng",
              const std::string& language = "B") {
    std::vector<std::string> lines = {"[FileInfo]", "Language=" + language, "Application=LUM"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    WriteLanguageFile(name, lines);
  }
  QString GridText(int column, int row) {
    return Find<QTableWidget>(*Window().ui().tsLoad, "StringGrid")->item(row, column)->text();
  }
};

TEST_F(LanguageApplyTest, FileLackingTextsInheritsThoseShownAndTypeNamesFromTheTables) {
  CopyEnglishFile();
  WriteB({"[Strings]", "FormLUM.tsBase.Caption=Gerät", "[DeviceDescription]", "5330448=Einfach"});
  CreateWindows();
  Choose(QStringLiteral("English"));
  Choose(QStringLiteral("B"));
  EXPECT_TRUE(dialogs_.Errors().empty());

  const ProfileFile b = LoadFile("B.lng");
  EXPECT_EQ(b.encoding(), TextEncoding::Utf8Bom);  // saved in the encoding it was read in
  // Messages and captions fall back to the language shown before, and are written back.
  EXPECT_EQ(Window().Messages().Text(kCongratulations), "Congratulations: firmware upgrade complete!");
  EXPECT_EQ(b.ReadOr(keys::kMessages, "Msg_16", ""), "Congratulations: firmware upgrade complete!");
  EXPECT_EQ(Find<QGroupBox>(*Window().ui().PageControl, "grpDeviceTypes")->title(), QStringLiteral("Device type"));
  EXPECT_EQ(b.ReadOr(keys::kStrings, "FormLUM.grpDeviceTypes.Caption", ""), "Device type");
  EXPECT_EQ(Upgrade().ui().GroupBoxCOM->title(), QStringLiteral("Port settings"));
  // Existing values are never overwritten.
  EXPECT_EQ(b.ReadOr(keys::kStrings, "FormLUM.tsBase.Caption", ""), "Gerät");
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Gerät"));
  // Type names fall back to the built-in Chinese names, not to the English ones shown.
  EXPECT_EQ(Find<QComboBox>(*Window().ui().PageControl, "cbbDeviceTypes")->itemText(0), QStringLiteral("Einfach"));
  EXPECT_EQ(Find<QComboBox>(*Window().ui().PageControl, "cbbDeviceTypes")->itemText(1),
            QStringLiteral("双路普通型太阳能控制器"));
  EXPECT_EQ(b.ReadOr(keys::kDeviceDescription, "5330464", ""), "双路普通型太阳能控制器");
  EXPECT_EQ(b.ReadOr(keys::kDeviceDescription, "5330448", ""), "Einfach");
  EXPECT_EQ(Find<QComboBox>(*Window().ui().tsLoad, "cbbWorkMode")->itemText(0), QStringLiteral("一直亮灯"));
  EXPECT_EQ(b.ReadOr(keys::kBatteryDescription, "258", ""), "12V铅酸蓄电池");
}

TEST_F(LanguageApplyTest, ListPositionsSurviveASwitchWithoutRunningChangeHandlers) {
  CopyEnglishFile();
  CreateWindows();
  Ui::TFormLUM& u = Window().ui();
  Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->setCurrentIndex(2);
  Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->setCurrentIndex(1);
  Find<QComboBox>(*u.PageControl, "cbbBatteryType")->setCurrentIndex(3);
  Window().CurrentEntry()->Modified = false;
  QSignalSpy deviceSpy(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes"), &QComboBox::currentIndexChanged);
  QSignalSpy modeSpy(Find<QComboBox>(*u.tsLoad, "cbbWorkMode"), &QComboBox::currentIndexChanged);
  QSignalSpy batterySpy(Find<QComboBox>(*u.PageControl, "cbbBatteryType"), &QComboBox::currentIndexChanged);

  Choose(QStringLiteral("English"));
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->currentText(),
            QStringLiteral("Single-output CC solar controller"));
  EXPECT_EQ(Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->currentIndex(), 1);
  EXPECT_EQ(Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->currentText(), QStringLiteral("On at night"));
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbBatteryType")->currentIndex(), 3);
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbBatteryType")->currentText(), QStringLiteral("3.6V Li-ion"));
  EXPECT_EQ(deviceSpy.count() + modeSpy.count() + batterySpy.count(), 0);
  EXPECT_FALSE(Window().CurrentEntry()->Modified);

  // No selection stays no selection.
  Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->setCurrentIndex(-1);
  Choose(QStringLiteral("Chinese Simplified(简体中文)"));
  EXPECT_EQ(Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->currentText(), QStringLiteral("单路恒流型太阳能控制器"));
}

TEST_F(LanguageApplyTest, EmptyLabelIsWrittenEmptyButAnActionWithoutCaptionIsNot) {
  WriteB({});
  CreateWindows();
  Find<QLabel>(*Window().ui().PageControl, "lblTempUnit")->setText(QString());
  Window().ui().actHelpOnHelp->setText(QString());
  Choose(QStringLiteral("B"));
  const ProfileFile b = LoadFile("B.lng");
  EXPECT_EQ(b.Read(keys::kStrings, "FormLUM.lblTempUnit.Caption"), std::optional<std::string>(""));
  EXPECT_FALSE(b.Has(keys::kStrings, "FormLUM.actHelpOnHelp.Caption"));
  EXPECT_TRUE(b.Has(keys::kStrings, "FormLUM.actAboutLUM.Caption"));
  // Built-in hints are empty: no Hint entries.
  for (const std::string& key : SectionKeys(b, keys::kStrings)) EXPECT_EQ(key.find(".Hint"), std::string::npos) << key;
}

TEST_F(LanguageApplyTest, EntriesWithACaptionOfTheirOwnKeepItWhileOthersFollowTheirAction) {
  WriteB({"[Strings]", "FormLUM.actOpenConfigFile.Caption=Open...", "FormLUM.actSaveConfigToFile.Caption=Save...",
          "FormLUM.actExitLUM.Caption=Quit", "FormLUM.actConnectDevice.Caption=Connect"});
  CreateWindows();
  Choose(QStringLiteral("B"));
  Ui::TFormLUM& u = Window().ui();
  EXPECT_EQ(u.actOpenConfigFile->text(), QStringLiteral("Open..."));
  EXPECT_EQ(u.MenuOpenConfigFile->text(), QStringLiteral("打开配置文件..."));
  EXPECT_EQ(u.MenuSaveConfigToFile->text(), QStringLiteral("保存配置文件..."));
  EXPECT_EQ(u.btnOpenConfigFile->text(), QStringLiteral("Open..."));
  EXPECT_EQ(u.btnSaveConfigToFile->text(), QStringLiteral("Save..."));
  EXPECT_EQ(u.MenuExitLUM->text(), QStringLiteral("Quit"));
  EXPECT_EQ(u.MenuConnectDevice->text(), QStringLiteral("Connect"));
  EXPECT_EQ(u.btnConnectDevice->text(), QStringLiteral("Connect"));
}

TEST_F(LanguageApplyTest, HintsLabelsGridAndUnitButtonTakeTheirTexts) {
  WriteB({"[Strings]", "FormLUM.chkMI.Hint=Multipurpose", "FormLUM.MenuFile.Hint=File things",
          "FormLUM.lbledtRealBattV.Caption=Battery", "FormLUM.lbledtRealBattV.Hint=Volts",
          "FormLUM.tbtnConnectDevice.Caption=never read", "FormLUM.tbtnConnectDevice.Hint=Connect now",
          "FormFirmwareUpgrade.lbledtEFFFirmwareVer.Caption=Ver:", "[Messages]", "Msg_20=Timer", "Msg_21=One",
          "Msg_25=Five", "Msg_27=Minutes", "Msg_28=Power %", "Msg_34=sec"});
  CreateWindows();
  Ui::TFormLUM& u = Window().ui();
  Find<QLineEdit>(*u.tsReal, "lbledtRealBattV")->setText(QStringLiteral("12.50"));
  auto* toolButton = u.ToolBar->findChild<QToolButton*>(QStringLiteral("tbtnConnectDevice"));
  toolButton->setProperty("tag", 9);
  Choose(QStringLiteral("B"));
  EXPECT_EQ(Find<QCheckBox>(*u.tsOther, "chkMI")->toolTip(), QStringLiteral("Multipurpose"));
  EXPECT_EQ(u.MenuFile->menuAction()->statusTip(), QStringLiteral("File things"));
  EXPECT_EQ(Window().EditLabel(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV"))->text(), QStringLiteral("Battery"));
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV")->toolTip(), QStringLiteral("Volts"));
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV")->text(),
            QStringLiteral("12.50"));  // the content is no caption
  // A tool button has a hint and no caption.
  EXPECT_EQ(toolButton->toolTip(), QStringLiteral("Connect now"));
  EXPECT_EQ(toolButton->text(), QString());
  EXPECT_EQ(Upgrade().ui().lbledtEFFFirmwareVerLabel->text(), QStringLiteral("Ver:"));
  EXPECT_EQ(GridText(0, 0), QStringLiteral("Timer"));
  EXPECT_EQ(GridText(0, 1), QStringLiteral("One"));
  EXPECT_EQ(GridText(0, 2), QStringLiteral("第二段"));
  EXPECT_EQ(GridText(0, 5), QStringLiteral("Five"));
  EXPECT_EQ(GridText(1, 0), QStringLiteral("Minutes"));
  EXPECT_EQ(GridText(2, 0), QStringLiteral("Power %"));
  EXPECT_EQ(Find<QPushButton>(*u.PageControl, "btnSCDelayUnit")->text(), QStringLiteral("sec"));
  EXPECT_EQ(Window().Messages().Text(msg::kMorningSegment), "晨亮段");
}

TEST_F(LanguageApplyTest, PresentButEmptyMessageEmptiesTheSlotAndLongValuesAreCut) {
  WriteB({"[Strings]", "FormLUM.tsBase.Caption=" + std::string(3000, 'x'), "[Messages]", "Msg_3="});
  WriteB({}, "C.lng", "C");
  CreateWindows();
  Choose(QStringLiteral("B"));
  EXPECT_EQ(Window().Messages().Text(3), "");
  EXPECT_EQ(LoadFile("B.lng").Read(keys::kMessages, "Msg_3"), std::optional<std::string>(""));
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QString(2047, QLatin1Char('x')));

  // Deleting the line brings back nothing: the text shown (empty) stays and is not written.
  Choose(QStringLiteral("C"));
  EXPECT_EQ(Window().Messages().Text(3), "");
  EXPECT_FALSE(LoadFile("C.lng").Has(keys::kMessages, "Msg_3"));
  EXPECT_TRUE(LoadFile("C.lng").Has(keys::kMessages, "Msg_2"));
}

TEST_F(LanguageApplyTest, UnwritableFileLackingKeysStopsAtTheFirstCompletionAndStaysUntouched) {
  // No temporary file fits beside a name this long, so the file cannot be replaced.
  const std::string name = std::string(246, 'L') + ".lng";
  WriteB({"[Strings]", "FormLUM.tsBase.Caption=Device", "FormLUM.grpDeviceTypes.Caption=Type",
          "FormLUM.tsPower.Caption=Battery"},
         name);
  const std::string before = ReadBytes(name);
  CreateWindows();
  const std::string settings = ReadBytes("LUM.INI");
  Choose(QStringLiteral("B"));

  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  const std::string folder = std::filesystem::path(FilePath(name)).parent_path().string();
  EXPECT_EQ(dialogs_.Errors().front(),
            QString::fromStdString("Unable to write to " + FilePath(name) + ": no file can be made in the folder " +
                                   folder + ": File name too long"));
  EXPECT_EQ(ReadBytes(name), before);
  Ui::TFormLUM& u = Window().ui();
  EXPECT_EQ(u.PageControl->tabText(0), QStringLiteral("Device"));
  EXPECT_EQ(Find<QGroupBox>(*u.PageControl, "grpDeviceTypes")->title(), QStringLiteral("Type"));
  EXPECT_EQ(u.PageControl->tabText(1), QStringLiteral("电池"));  // after the failed key
  EXPECT_EQ(ReadBytes("LUM.INI"), settings);                     // the choice is not remembered
}

}  // namespace
}  // namespace lum::test
