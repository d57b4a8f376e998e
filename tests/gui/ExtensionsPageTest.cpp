// The extensions page on its own: what it shows it stores again, the MI's modes follow the MI,
// and every edit is announced to whoever shows the page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>

#include "ExtensionsPage.h"
#include "FindControl.h"

namespace lum::test {
namespace {

class ExtensionsPageTest : public ::testing::Test {
 protected:
  ExtensionsPage page_;
};

TEST_F(ExtensionsPageTest, WhatIsShownIsStoredAgain) {
  TCONFIG_BLOCK shown;
  shown.SetAddress(201);
  PageFlags flags;
  flags.mi = true;
  flags.pir = true;
  flags.irReceiver = true;
  page_.Show(shown, flags);

  TCONFIG_BLOCK stored;
  PageFlags storedFlags;
  page_.Store(stored, storedFlags);
  EXPECT_EQ(stored.Address(), 201);
  EXPECT_TRUE(storedFlags.mi);
  EXPECT_TRUE(storedFlags.pir);
  EXPECT_FALSE(storedFlags.rainDetect) << "the two MI modes exclude each other";
  EXPECT_TRUE(storedFlags.irReceiver);
}

TEST_F(ExtensionsPageTest, TheMiModesAreChosenOnlyWhileTheMiIsOn) {
  QCheckBox& mi = *Find<QCheckBox>(page_, "chkMI");
  auto* pir = Find<QRadioButton>(page_, "rbPIR");
  auto* rain = Find<QRadioButton>(page_, "rbRainDetect");
  mi.setChecked(true);
  EXPECT_TRUE(pir->isEnabled());
  EXPECT_TRUE(rain->isEnabled());
  mi.setChecked(false);
  EXPECT_FALSE(pir->isEnabled());
  EXPECT_FALSE(rain->isEnabled());
}

TEST_F(ExtensionsPageTest, EveryEditIsAnnounced) {
  page_.Show(TCONFIG_BLOCK{}, {});
  QSignalSpy modified(&page_, &ExtensionsPage::modified);
  Find<QCheckBox>(page_, "chkMI")->setChecked(true);
  EXPECT_EQ(modified.count(), 1);
  Find<QRadioButton>(page_, "rbPIR")->setChecked(true);
  EXPECT_GE(modified.count(), 2);
  modified.clear();
  Find<QCheckBox>(page_, "chkIRReceiver")->setChecked(true);
  EXPECT_EQ(modified.count(), 1);
  Find<QSpinBox>(page_, "seAddress")->setValue(17);
  EXPECT_EQ(modified.count(), 2);
}

}  // namespace
}  // namespace lum::test
