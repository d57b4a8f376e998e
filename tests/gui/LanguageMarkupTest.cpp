// Texts from language files are plain text: markup is shown as the characters it is made of,
// and switching language after a file with markup is safe.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocument>

#include "LanguageComponents.h"
#include "LanguageTestFixture.h"
#include "language/LanguageKeys.h"
#include "ui_FormFirmwareUpgrade.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using LanguageMarkupTest = LanguageFixture;

TEST_F(LanguageMarkupTest, MarkupShowsAsPlainTextAndLaterSwitchesAreSafe) {
  CopyEnglishFile();
  WriteLanguageFile(
      "Rich.lng",
      {"[FileInfo]", "Language=Rich", "Application=LUM", "[Strings]",
       "FormLUM.lblDeviceModel.Caption=<i>Model</i>:", "FormLUM.lbledtRealBattV.Caption=<b>Battery</b>",
       "FormLUM.chkMI.Hint=<b>MI</b> & more", "FormFirmwareUpgrade.LabelCOMPort.Caption=<a href='x'>Port</a>"});
  CreateWindows();
  Ui::TFormLUM& u = Window().ui();
  QLabel& batteryLabel = *Window().EditLabel(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV"));
  // A rich-text label makes internal children that a later text change deletes; the language
  // pass must neither draw markup nor trip over such children when switching back and forth.
  for (int round = 0; round < 2; ++round) {
    Choose(QStringLiteral("Rich"));
    for (QLabel* label : {Find<QLabel>(*u.PageControl, "lblDeviceModel"), &batteryLabel, Upgrade().ui().LabelCOMPort})
      EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    EXPECT_EQ(Find<QLabel>(*u.PageControl, "lblDeviceModel")->text(), QStringLiteral("<i>Model</i>:"));
    EXPECT_EQ(batteryLabel.text(), QStringLiteral("<b>Battery</b>"));
    EXPECT_EQ(Upgrade().ui().LabelCOMPort->text(), QStringLiteral("<a href='x'>Port</a>"));
    QTextDocument toolTip;  // drawn as Qt draws a tool tip
    toolTip.setHtml(Find<QCheckBox>(*u.tsOther, "chkMI")->toolTip());
    EXPECT_EQ(toolTip.toPlainText(), QStringLiteral("<b>MI</b> & more"));

    Choose(QStringLiteral("English"));
    EXPECT_EQ(Find<QLabel>(*u.PageControl, "lblDeviceModel")->text(), QStringLiteral("Model:"));
    EXPECT_EQ(batteryLabel.text(), QStringLiteral("Battery voltage"));
  }
  EXPECT_TRUE(dialogs_.Errors().empty());
  // The hint read back for completing a file is the file's text, not the escaped tool tip.
  EXPECT_EQ(LoadFile("LUM_en.lng").Read(language_keys::kStrings, "FormLUM.chkMI.Hint"), "<b>MI</b> & more");
  EXPECT_EQ(ComponentTexts(Find<QCheckBox>(*u.tsOther, "chkMI"), &Window()).Hint(), QStringLiteral("<b>MI</b> & more"));
}

}  // namespace
}  // namespace lum::test
