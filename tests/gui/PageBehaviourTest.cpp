#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "KeyFilter.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class PageBehaviourTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    CreateShown();
    FillTypeLists();
    entry_ = &AddFileEntry("/data/a.LUM", SampleBlock(1));
    SelectNode("a.LUM");
  }
  Ui::TFormLUM& u() { return Window().ui(); }
  QTableWidget& grid() { return *Find<QTableWidget>(*u().tsLoad, "StringGrid"); }
  // Selects a cell of the grid, as a click does, and types into the editor laid over it.
  void TypeIntoCell(int column, int row, const QString& keys) {
    u().PageControl->setCurrentWidget(u().tsLoad);
    grid().setCurrentCell(row, column);
    QTest::keyClicks(&Window().Load().seInput(), keys);
  }

  TDEVICE_CONFIG* entry_ = nullptr;
};

TEST_F(PageBehaviourTest, TypedMinutesAndPowerAreLimitedToTheirRanges) {
  TypeIntoCell(1, 2, QStringLiteral("1500"));
  EXPECT_EQ(GridText(grid(), 1, 2), QStringLiteral("1000"));
  EXPECT_TRUE(entry_->Modified);
  EXPECT_TRUE(u().actWriteToDevice->isEnabled());
  EXPECT_TRUE(u().actSaveConfigToFile->isEnabled());
  TypeIntoCell(2, 4, QStringLiteral("250"));
  EXPECT_EQ(GridText(grid(), 2, 4), QStringLiteral("100"));
}

TEST_F(PageBehaviourTest, GridEditorTakesDigitsAndLiesOverItsCell) {
  TypeIntoCell(2, 1, QStringLiteral("45"));
  EXPECT_EQ(GridText(grid(), 2, 1), QStringLiteral("45"));
  GridSpinEdit& editor = Window().Load().seInput();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.maximum(), 100);
  EXPECT_EQ(editor.singleStep(), 10);
  const QRect cell = grid().visualRect(grid().model()->index(1, 2));
  const QPoint cellTopLeft = grid().viewport()->mapTo(editor.parentWidget(), cell.topLeft());
  EXPECT_EQ(editor.geometry(), QRect(cellTopLeft, cell.size()));

  grid().setCurrentCell(3, 0);  // a caption column: no editor
  EXPECT_FALSE(editor.isVisible());
}

TEST_F(PageBehaviourTest, EditorTakesTheCellValueAndLeavingItHidesIt) {
  TypeIntoCell(1, 3, QString());
  GridSpinEdit& editor = Window().Load().seInput();
  EXPECT_EQ(editor.value(), 180);
  EXPECT_EQ(editor.maximum(), 1000);
  ASSERT_TRUE(editor.hasFocus());
  Find<QCheckBox>(*u().tsOther, "chkMI")->setFocus();
  EXPECT_FALSE(editor.isVisible());
  // Setting the editor from code while it has no focus never writes the cell.
  editor.setValue(500);
  EXPECT_EQ(GridText(grid(), 1, 3), QStringLiteral("180"));
}

TEST_F(PageBehaviourTest, DotInEmptyLightVoltageBecomesZeroDot) {
  QLineEdit& scv = *Find<QLineEdit>(*u().PageControl, "lbledtSCV");
  u().PageControl->setCurrentWidget(u().tsPower);
  scv.setFocus();
  scv.clear();
  QTest::keyClicks(&scv, QStringLiteral("."));
  EXPECT_EQ(scv.text(), QStringLiteral("0."));
  EXPECT_EQ(scv.cursorPosition(), 2);
  QTest::keyClicks(&scv, QStringLiteral("5"));
  EXPECT_EQ(scv.text(), QStringLiteral("0.5"));
  QTest::keyClick(&scv, Qt::Key_Backspace);
  EXPECT_EQ(scv.text(), QStringLiteral("0."));
}

TEST_F(PageBehaviourTest, OtherNumericFieldsTakeFiveCharactersAndTheLeadingDotRule) {
  QLineEdit& ovp = *Find<QLineEdit>(*u().PageControl, "lbledtBattOVP");
  ovp.setEnabled(true);
  ovp.clear();
  QTest::keyClicks(&ovp, QStringLiteral(".25"));
  EXPECT_EQ(ovp.text(), QStringLiteral("0.25"));
  ovp.clear();
  QTest::keyClicks(&ovp, QStringLiteral("12.3456"));
  EXPECT_EQ(ovp.text(), QStringLiteral("12.34"));
}

TEST(KeyRuleTest, GridKeysAreDigitsAndEditingKeys) {
  EXPECT_TRUE(AcceptsDigitKey(u'7', QString()));
  EXPECT_TRUE(AcceptsDigitKey(QChar(8), QStringLiteral("12")));
  EXPECT_TRUE(AcceptsDigitKey(QChar(13), QString()));
  EXPECT_FALSE(AcceptsDigitKey(u'-', QString()));
  EXPECT_FALSE(AcceptsDigitKey(u'.', QString()));
}

TEST_F(PageBehaviourTest, CustomBatteryFillsItsPresetsAndUnlocksTheFields) {
  entry_->Modified = false;
  Find<QComboBox>(*u().PageControl, "cbbBatteryType")->setCurrentIndex(0);
  emit Find<QComboBox>(*u().PageControl, "cbbBatteryType")->activated(0);
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbBatteryType")->currentText(), QStringLiteral("自定义电池参数"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("14.40"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattFCV")->text(), QStringLiteral("13.80"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattUVP")->text(), QStringLiteral("11.10"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattUVR")->text(), QStringLiteral("12.50"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->text(), QStringLiteral("5.00"));
  for (QLineEdit* field :
       {Find<QLineEdit>(*u().PageControl, "lbledtBattOVP"), Find<QLineEdit>(*u().PageControl, "lbledtBattFCV"),
        Find<QLineEdit>(*u().PageControl, "lbledtBattUVP"), Find<QLineEdit>(*u().PageControl, "lbledtBattUVR")})
    EXPECT_TRUE(field->isEnabled()) << field->objectName().toStdString();
  EXPECT_TRUE(entry_->Modified);
}

TEST_F(PageBehaviourTest, LithiumPolymerPresetFillsItsVoltages) {
  Find<QComboBox>(*u().PageControl, "cbbBatteryType")->setCurrentIndex(4);
  emit Find<QComboBox>(*u().PageControl, "cbbBatteryType")->activated(4);
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("4.20"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattUVR")->text(), QStringLiteral("3.85"));
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtSCV")->text(), QStringLiteral("1.50"));
}

TEST_F(PageBehaviourTest, DelayUnitToggledTwiceKeepsTheDelayButMarksTheEntry) {
  TCONFIG_BLOCK before = entry_->Config;
  entry_->Modified = false;
  Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->click();
  EXPECT_EQ(Window().Battery().DelayUnitFlag(), 1);
  Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->click();
  EXPECT_TRUE(entry_->Modified);
  TCONFIG_BLOCK stored = before;
  Window().StorePages(stored);
  EXPECT_EQ(stored.SCDelay(), before.SCDelay());
  EXPECT_EQ(Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->text(), QStringLiteral("分"))
      << "the caption names the unit counted";
}

TEST_F(PageBehaviourTest, PwmDimmingEnablesTheRatedCurrentEvenWhenSetByProgram) {
  ASSERT_FALSE(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->isEnabled());
  Find<QCheckBox>(*u().tsLoad, "chkPWMDIM")->setChecked(true);
  EXPECT_TRUE(Find<QLabel>(*u().tsLoad, "lblCC")->isEnabled());
  EXPECT_TRUE(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>(*u().tsLoad, "chkEnergySaving")->isEnabled());
  Find<QCheckBox>(*u().tsLoad, "chkPWMDIM")->setChecked(false);
  EXPECT_FALSE(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->isEnabled());
}

TEST_F(PageBehaviourTest, MiExtensionEnablesItsDetectorChoices) {
  Find<QCheckBox>(*u().tsOther, "chkMI")->setChecked(false);
  EXPECT_FALSE(Find<QRadioButton>(*u().tsOther, "rbRainDetect")->isEnabled());
  EXPECT_FALSE(Find<QRadioButton>(*u().tsOther, "rbPIR")->isEnabled());
  Find<QCheckBox>(*u().tsOther, "chkMI")->setChecked(true);
  EXPECT_TRUE(Find<QRadioButton>(*u().tsOther, "rbPIR")->isEnabled());
}

TEST_F(PageBehaviourTest, UserWorkModeChoiceRenamesTheFifthSegment) {
  Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->setCurrentIndex(1);
  emit Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->activated(1);
  EXPECT_EQ(GridText(grid(), 0, 5), QStringLiteral("晨亮段"));
  Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->setCurrentIndex(0);
  emit Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->activated(0);
  EXPECT_EQ(GridText(grid(), 0, 5), QStringLiteral("第五段"));
  // Showing a channel with another mode names its row 5 for the mode shown.
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  EXPECT_EQ(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->currentIndex(), 1);
  EXPECT_EQ(GridText(grid(), 0, 5), QStringLiteral("晨亮段"));
}

TEST_F(PageBehaviourTest, OverTemperatureAndTemperatureCompensationDoNotMarkTheEntry) {
  entry_->Modified = false;
  Find<QSpinBox>(*u().PageControl, "seOTP")->setValue(70);
  Find<QCheckBox>(*u().PageControl, "chkATC")->setChecked(!Find<QCheckBox>(*u().PageControl, "chkATC")->isChecked());
  EXPECT_FALSE(entry_->Modified);
  Find<QSpinBox>(*u().tsOther, "seAddress")->setValue(9);
  EXPECT_TRUE(entry_->Modified);
}

TEST_F(PageBehaviourTest, TreeListsFilesAndDevicesSortedAndSelectsTheFirst) {
  auto device = std::make_unique<TDEVICE_CONFIG>();
  device->Name = "COM3";
  device->Model = "QV-1";
  TDEVICE_CONFIG* deviceEntry = &Window().Entries().AddDeviceEntry(std::move(device));
  auto silent = std::make_unique<TDEVICE_CONFIG>();
  silent->Name = "COM7";
  Window().Entries().AddDeviceEntry(std::move(silent));
  Window().RebuildEntryTree();

  QTreeWidget& tree = *u().tvDevices;
  QStringList texts;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) texts << tree.topLevelItem(i)->text(0);
  EXPECT_EQ(texts, (QStringList{"COM3,QV-1", "COM7", "New File", "a.LUM"}));
  EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
  EXPECT_EQ(Window().CurrentEntry(), deviceEntry);
  EXPECT_EQ(Window().StatusPanel(0).text(), QStringLiteral("COM3,QV-1"));
}

}  // namespace
}  // namespace lum::test
