// A file may hold values outside their fields' ranges: the window opens it as it is, says so
// in the information panel and marks each control that shows such a value, in the language
// in use; a write refuses them (the device tests show it).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest/QTest>
#include <map>

#include "LanguageTestFixture.h"
#include "RadioGroup.h"
#include "RangeMarks.h"
#include "TimingGrid.h"
#include "data/ConfigFile.h"
#include "language/FieldCaptions.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class RangeMarksTest : public LanguageFixture {
 protected:
  void SetUp() override {
    LanguageFixture::SetUp();
    CopyEnglishFile();
    CreateWindows();
    Window().show();
    TCONFIG_BLOCK block = SampleBlock(1);
    block.Channel(0, 0).SetMode(127);
    block.Channel(0, 0).Timing(1).SetPower(255);
    block.Channel(0, 1).Timing(0).SetMinutes(1440);
    SaveConfigFile(FilePath("wild.LUM"), block);
    SaveConfigFile(FilePath("tame.LUM"), SampleBlock(1));
  }
  Ui::TFormLUM& u() { return Window().ui(); }
  QString CellTip(int column, int row) {
    return Find<QTableWidget>(*u().tsLoad, "StringGrid")->item(row, column)->toolTip();
  }
  bool Framed(const QWidget& control) { return control.styleSheet().contains(QStringLiteral("red")); }
};

TEST_F(RangeMarksTest, OpeningSaysWhatIsOutOfRangeAndTheEditorMarksItInEitherLanguage) {
  Window().OpenConfigFileAt(FilePath("wild.LUM"));
  ASSERT_NE(Window().CurrentEntry(), nullptr);
  EXPECT_EQ(Window().CurrentEntry()->Config.Channel(0, 0).Mode(), 127) << "opened as it is";
  const QString info = u().mmoInfo->toPlainText();
  EXPECT_TRUE(info.contains(QStringLiteral("第 1 路 工作模式 127 超出范围 0 到 2。"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("第 2 路 第一段 时间(分钟) 1440 min 超出范围 0 min 到 1000 min。")))
      << info.toStdString();

  EXPECT_TRUE(Framed(*Find<QComboBox>(*u().tsLoad, "cbbWorkMode")));
  EXPECT_EQ(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->toolTip(),
            QStringLiteral("第 1 路 工作模式 127 超出范围 0 到 2。"));
  EXPECT_EQ(CellTip(timing_grid::kPowerColumn, 2),
            QStringLiteral("第 1 路 第二段 功率0-100% 255 % 超出范围 0 % 到 100 %。"));
  EXPECT_TRUE(CellTip(timing_grid::kPowerColumn, 1).isEmpty());
  EXPECT_FALSE(Framed(*Find<QLineEdit>(*u().tsLoad, "lbledtCC")));

  Choose(QStringLiteral("English"));
  Window().RebuildEntryTree(Window().CurrentEntry());
  EXPECT_EQ(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->toolTip(),
            QStringLiteral("Output 1 Work mode 127 is outside its range 0 to 2."));
  // The second output shows its own: the minutes of its first segment, not the first output's mode.
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  EXPECT_FALSE(Framed(*Find<QComboBox>(*u().tsLoad, "cbbWorkMode")));
  EXPECT_EQ(CellTip(timing_grid::kMinutesColumn, 1),
            QStringLiteral("Output 2 Segment 1 Minutes 1440 min is outside its range 0 min to 1000 min."));
  EXPECT_TRUE(CellTip(timing_grid::kPowerColumn, 2).isEmpty());

  // An entry whose values are all in range shows no mark.
  dialogs_.AnswerYesNo(false);  // the pages of the second output were stored when it was chosen
  Window().OpenConfigFileAt(FilePath("tame.LUM"));
  EXPECT_FALSE(Framed(*Find<QComboBox>(*u().tsLoad, "cbbWorkMode")));
  EXPECT_TRUE(Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->toolTip().isEmpty());
  EXPECT_TRUE(CellTip(timing_grid::kMinutesColumn, 1).isEmpty());
}

// A field control is known by the field its form names: a misspelt name or a field the pages
// show without a control would leave its out-of-range value unmarked.
TEST_F(RangeMarksTest, EveryFieldThePagesShowHasOneControlNamingIt) {
  std::map<FieldId, int> controls;
  for (const QWidget* control : Window().findChildren<QWidget*>()) {
    if (!control->property(kFieldProperty).isValid()) continue;
    const ConfigField* field = FieldOf(*control);
    ASSERT_NE(field, nullptr) << control->objectName().toStdString() << " names no field";
    ++controls[field->id];
  }
  for (const ConfigField& field : ConfigFields()) {
    // Segments are grid cells, and the product code is shown as its device type, not a value.
    const bool shown =
        !ComponentOf(field.id).empty() && field.scope != FieldScope::Timing && field.id != FieldId::ProductID;
    EXPECT_EQ(controls[field.id], shown ? 1 : 0) << field.name;
  }
}

}  // namespace
}  // namespace lum::test
