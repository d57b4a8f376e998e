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
  EXPECT_EQ(Find<QPlainTextEdit>(*u.tsTest, "Memo")->toPlainText(),
            QStringLiteral("[x] Send Data:: 系统已尝试修复此错误!"));

  EXPECT_FALSE(observer.ShowErrorDetails());
  Find<QCheckBox>(*u.tsTest, "CheckBoxError")->setChecked(true);
  EXPECT_TRUE(observer.ShowErrorDetails());

  // Each measurement reaches the fields of both pages, in the decimals each shows.
  observer.ValueReceived(MakeMeasurement(ValueId::BatteryVoltage, 12345));
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealBattV")->text(), QStringLiteral("12.35 V"));
  EXPECT_EQ(Find<QLineEdit>(*u.tsTest, "lbledtBattV")->text(), QStringLiteral("12.345 V"));
  observer.ValueReceived(MakeMeasurement(ValueId::PowerOnTime, 62 * 60 + 3));
  EXPECT_EQ(Find<QLabel>(*u.tsTest, "txtTimer")->text(), QStringLiteral("1:02:03"));
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealTimer")->text(), QStringLiteral("1:02:03"));
  observer.ValueReceived(MakeMeasurement(ValueId::Load1Current, 1234));
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealLoad1A")->text(), QStringLiteral("1.23 A"));
  EXPECT_EQ(Find<QLineEdit>(*u.tsTest, "lbledtLoad1A")->text(), QStringLiteral("1.234 A"));
  observer.ValueReceived(MakeMeasurement(ValueId::SolarVoltage, 1805));
  EXPECT_EQ(Find<QLineEdit>(*u.tsTest, "lbledtSolarV")->text(), QStringLiteral("18.05 V"));
  EXPECT_EQ(Find<QLineEdit>(*u.tsReal, "lbledtRealSolarV")->text(), QStringLiteral("18.05 V"));
  observer.ValueReceived(MakeMeasurement(ValueId::Temperature, 31));
  EXPECT_EQ(Find<QLineEdit>(*u.tsTest, "lbledtTemp")->text(), QStringLiteral("31"));
  observer.ValueReceived(MakeMeasurement(ValueId::BattVRef, 12340));
  EXPECT_EQ(Find<QSpinBox>(*u.tsTest, "seBattVRef")->value(), 12340);
  observer.ValueReceived(MakeMeasurement(ValueId::Load1ARefOffset, -1));
  EXPECT_EQ(Find<QSpinBox>(*u.tsTest, "seLoad1ARef0")->value(), -1);
  // The flags reply's two bytes show as one pair; a later reply replaces both.
  observer.ValueReceived(MakeMeasurement(ValueId::FunctionFlags, 0x5A));
  observer.ValueReceived(MakeMeasurement(ValueId::CapabilityFlags, 0x0C));
  EXPECT_EQ(window.StatusPanel(2).text(), QStringLiteral("5A,0C"));
  observer.ValueReceived(MakeMeasurement(ValueId::FunctionFlags, 0x01));
  observer.ValueReceived(MakeMeasurement(ValueId::CapabilityFlags, 0xF0));
  EXPECT_EQ(window.StatusPanel(2).text(), QStringLiteral("01,F0"));
  Find<QLabel>(*u.tsTest, "imgStatus")->setText(QStringLiteral("x"));
  observer.RunningStateCleared();
  EXPECT_TRUE(Find<QLabel>(*u.tsTest, "imgStatus")->text().isEmpty());
}

}  // namespace
}  // namespace lum::test
