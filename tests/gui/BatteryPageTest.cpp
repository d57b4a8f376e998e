// The battery page on its own: what it shows it stores again, what its capabilities leave
// disabled it never stores, and every edit is announced to whoever shows the page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

#include "BatteryPage.h"
#include "FindControl.h"
#include "ScriptedDialogs.h"
#include "language/MessageTable.h"
#include "support/RecordingObserver.h"

namespace lum::test {
namespace {

class BatteryPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    messages_.FillBuiltIn();
    page_.Attach(messages_, observer_, dialogs_);
    for (const TBATTERY_TYPES& type : BatteryTypes())
      Find<QComboBox>(page_, "cbbBatteryType")->addItem(QString::fromUtf8(type.DefaultName));
  }

  static Capabilities Everything() {
    Capabilities caps;
    caps.HasBattery = caps.HasLightControl = caps.HasTempComp = caps.HasOverTempLimit = true;
    return caps;
  }

  // Values no battery type presets, with the delay counted in minutes.
  static TCONFIG_BLOCK Distinctive() {
    TCONFIG_BLOCK block;
    block.SetOTP(65);
    block.SetBattOVP(14700);
    block.SetBattFCV(13900);
    block.SetBattUVP(10900);
    block.SetBattUVR(12300);
    block.SetSCV(640);
    block.SetSCDelay(PackSCDelay(25, false));
    return block;
  }

  MessageTable messages_;
  RecordingObserver observer_;
  ScriptedDialogs dialogs_;
  BatteryPage page_;
};

TEST_F(BatteryPageTest, WhatIsShownIsStoredAgain) {
  const TCONFIG_BLOCK shown = Distinctive();
  page_.ApplyCapabilities(Everything());
  PageFlags flags;
  flags.tempComp = true;
  page_.Show(shown, flags);

  TCONFIG_BLOCK stored;
  page_.Store(stored);
  PageFlags storedFlags;
  page_.StoreFlags(storedFlags);
  EXPECT_EQ(stored.OTP(), shown.OTP());
  EXPECT_EQ(stored.BattOVP(), shown.BattOVP());
  EXPECT_EQ(stored.BattFCV(), shown.BattFCV());
  EXPECT_EQ(stored.BattUVP(), shown.BattUVP());
  EXPECT_EQ(stored.BattUVR(), shown.BattUVR());
  EXPECT_EQ(stored.SCV(), shown.SCV());
  EXPECT_EQ(stored.SCDelay(), shown.SCDelay()) << "the delay keeps its value and its unit";
  EXPECT_TRUE(storedFlags.tempComp);
  EXPECT_TRUE(dialogs_.Warnings().empty()) << "the voltages were shown, not typed";
}

TEST_F(BatteryPageTest, WhatTheDeviceTypeLacksIsNotStored) {
  Capabilities caps = Everything();
  caps.HasBattery = false;
  caps.HasLightControl = false;
  page_.ApplyCapabilities(caps);
  page_.Show(Distinctive(), {});
  Find<QLineEdit>(page_, "lbledtBattOVP")->setText(QStringLiteral("15.00"));
  Find<QLineEdit>(page_, "lbledtSCV")->setText(QStringLiteral("7.00"));

  TCONFIG_BLOCK stored;
  stored.SetBattOVP(14000);
  stored.SetSCV(500);
  page_.Store(stored);
  EXPECT_EQ(stored.BattOVP(), 14000);
  EXPECT_EQ(stored.SCV(), 500);
  EXPECT_EQ(stored.OTP(), 65) << "the temperature limit is the type's and stays stored";
}

TEST_F(BatteryPageTest, EveryEditIsAnnounced) {
  page_.ApplyCapabilities(Everything());
  page_.Show(Distinctive(), {});
  QSignalSpy modified(&page_, &BatteryPage::modified);

  QLineEdit& scv = *Find<QLineEdit>(page_, "lbledtSCV");
  scv.setText(QStringLiteral(".5"));
  EXPECT_EQ(scv.text(), QStringLiteral("0.5")) << "a leading point gets its zero";
  EXPECT_GE(modified.count(), 1);

  modified.clear();
  const int unit = page_.DelayUnitFlag();
  Find<QPushButton>(page_, "btnSCDelayUnit")->click();
  EXPECT_NE(page_.DelayUnitFlag(), unit);
  EXPECT_EQ(modified.count(), 1);

  modified.clear();
  QSpinBox& delay = *Find<QSpinBox>(page_, "seSCDelay");
  delay.setValue(delay.value() + 1);
  EXPECT_EQ(modified.count(), 1);

  modified.clear();
  emit Find<QComboBox>(page_, "cbbBatteryType")->activated(1);
  EXPECT_GE(modified.count(), 1);
}

}  // namespace
}  // namespace lum::test
