#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBlock>

#include "WindowFixture.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using WindowLinkObserverTest = WindowFixture;

TEST_F(WindowLinkObserverTest, ReportsReachTheNamedControls) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  LinkObserver& observer = window.Observer();

  observer.InfoLine("Ok");
  EXPECT_EQ(u.mmoInfo->document()->lastBlock().text(), QStringLiteral("Ok"));
  observer.TraceLine("[x] Send Data:: 系统已尝试修复此错误!");
  EXPECT_EQ(u.Memo->toPlainText(), QStringLiteral("[x] Send Data:: 系统已尝试修复此错误!"));

  EXPECT_FALSE(observer.ShowErrorDetails());
  u.CheckBoxError->setChecked(true);
  EXPECT_TRUE(observer.ShowErrorDetails());

  observer.SetFieldText("lbledtRealBattV", "12.80V");
  EXPECT_EQ(u.lbledtRealBattV->text(), QStringLiteral("12.80V"));
  observer.SetFieldText("txtTimer", "01:02:03");
  EXPECT_EQ(u.txtTimer->text(), QStringLiteral("01:02:03"));
  observer.SetFieldText("noSuchField", "ignored");
  observer.SetFieldValue("seBattVRef", 12340);
  EXPECT_EQ(u.seBattVRef->value(), 12340);
  observer.SetStatusFlags("5A,00");
  EXPECT_EQ(window.StatusPanel(2).text(), QStringLiteral("5A,00"));
  u.imgStatus->setText(QStringLiteral("x"));
  observer.ClearStatusImage();
  EXPECT_TRUE(u.imgStatus->text().isEmpty());
}

}  // namespace
}  // namespace lum::test
