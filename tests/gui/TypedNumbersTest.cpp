// A number typed into the pages is what the user typed: the language's decimal separator and
// "." are taken, anything else is refused whole with a message in the user's language that
// names the field, and a battery voltage that makes no sense for the battery type is warned of.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest/QTest>

#include "LanguageTestFixture.h"
#include "TimingGrid.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class TypedNumbersTest : public LanguageFixture {
 protected:
  void SetUp() override {
    LanguageFixture::SetUp();
    CopyEnglishFile();
    WriteLanguageFile("LUM_de.lng", {"[FileInfo]", "Language=Deutsch", "Application=LUM", "[Messages]", "Msg_100=,"});
    CreateWindows();
    Window().show();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    entry_ = &AddFileEntry("/cfg/a.LUM", SampleBlock(1));
    AddFileEntry("/cfg/b.LUM", SampleBlock(1));
    SelectNode("a.LUM");
  }
  Ui::TFormLUM& u() { return Window().ui(); }

  // Types into a field as the keyboard does, then leaves the entry, which stores the pages.
  void TypeAndApply(QLineEdit& field, const QString& keys) {
    u().PageControl->setCurrentWidget(u().tsPower);
    field.setFocus();
    field.clear();
    QTest::keyClicks(&field, keys);
    ASSERT_EQ(field.text(), keys) << "every typed character stays in the field";
    dialogs_.AnswerYesNo(true);
    SelectNode("b.LUM");
  }

  TDEVICE_CONFIG* entry_ = nullptr;
};

TEST_F(TypedNumbersTest, CommaAndExponentAreRefusedNamingTheFieldInEnglishAndChinese) {
  for (const auto& [language, caption] :
       {std::pair{QStringLiteral("English"), QStringLiteral("Switch voltage: ")},
        std::pair{QStringLiteral("Chinese Simplified(简体中文)"), QStringLiteral("光控点电压：")}}) {
    Choose(language);
    for (const QString& typed : {QStringLiteral("12,5"), QStringLiteral("1e3")}) {
      const size_t errors = dialogs_.Errors().size();
      TypeAndApply(*Find<QLineEdit>(*u().PageControl, "lbledtSCV"), typed);
      ASSERT_EQ(dialogs_.Errors().size(), errors + 1) << typed.toStdString();
      const QString& message = dialogs_.Errors().back();
      EXPECT_TRUE(message.startsWith(caption)) << message.toStdString();
      EXPECT_TRUE(message.contains(typed)) << message.toStdString();
      EXPECT_EQ(entry_->Config.SCV(), 620) << "nothing of " << typed.toStdString() << " is stored";
      EXPECT_EQ(Window().CurrentEntry(), entry_) << "the entry is not left with a refused value";
    }
    Find<QLineEdit>(*u().PageControl, "lbledtSCV")->setText(QStringLiteral("6.20"));
  }
}

TEST_F(TypedNumbersTest, TheLanguagesDecimalSeparatorAndThePointAreBothTaken) {
  Choose(QStringLiteral("Deutsch"));
  TypeAndApply(*Find<QLineEdit>(*u().PageControl, "lbledtSCV"), QStringLiteral("12,5"));
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_EQ(entry_->Config.SCV(), 1250);

  SelectNode("a.LUM");
  TypeAndApply(*Find<QLineEdit>(*u().PageControl, "lbledtSCV"), QStringLiteral("7.5"));
  EXPECT_EQ(entry_->Config.SCV(), 750);
}

TEST_F(TypedNumbersTest, AKeyTheGridRefusesLeavesTheCellAsItWasAndSaysWhy) {
  Choose(QStringLiteral("English"));
  u().PageControl->setCurrentWidget(u().tsLoad);
  QTableWidget& grid = *Find<QTableWidget>(*u().tsLoad, "StringGrid");
  const QString before = GridText(grid, timing_grid::kMinutesColumn, 2);
  grid.setCurrentCell(2, timing_grid::kMinutesColumn);
  QTest::keyClicks(&Window().Load().seInput(), QStringLiteral("1e3"));
  EXPECT_EQ(GridText(grid, timing_grid::kMinutesColumn, 2), before) << "neither 13 nor 1 is kept";
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors().front(),
            QStringLiteral("Segment 2 Minutes: only whole numbers from 0 to 1000 can be typed; \"e\" is refused."));
}

TEST_F(TypedNumbersTest, AChargeVoltageThatDoesNotSuitTheBatteryIsWarnedOf) {
  for (const auto& [language, expected] :
       {std::pair{QStringLiteral("English"),
                  QStringLiteral("Charge cut-off 4.20 V does not suit a 12V lead-acid battery: expected 11.52 V to "
                                 "17.28 V.")},
        std::pair{QStringLiteral("Chinese Simplified(简体中文)"),
                  QStringLiteral("过充保护电压 4.20 V 不适合12V铅酸蓄电池：应在 11.52 V 到 17.28 V 之间。")}}) {
    Choose(language);
    SelectNode("a.LUM");
    const size_t warnings = dialogs_.Warnings().size();
    TypeAndApply(*Find<QLineEdit>(*u().PageControl, "lbledtBattOVP"), QStringLiteral("4.2"));
    ASSERT_EQ(dialogs_.Warnings().size(), warnings + 1) << language.toStdString();
    EXPECT_EQ(dialogs_.Warnings().back(), expected);
    EXPECT_EQ(entry_->Config.BattOVP(), 4200) << "a warning, not a refusal";

    // Storing again what is already held warns of nothing.
    SelectNode("a.LUM");
    dialogs_.AnswerYesNo(true);
    Window().MarkModified();
    SelectNode("b.LUM");
    EXPECT_EQ(dialogs_.Warnings().size(), warnings + 1);
    entry_->Config.SetBattOVP(14600);
  }
}

}  // namespace
}  // namespace lum::test
