#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include "FormNightProfile.h"
#include "NightProfileView.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowFixture.h"
#include "data/NightProfile.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class NightProfileWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    CreateShown();
    FillTypeLists();
    profile_ = std::make_unique<TFormNightProfile>(Window());
    TCONFIG_BLOCK block = SampleBlock(1);  // two outputs
    SetSchedule(block, 0, 1, 1500, {{{120, 100}, {180, 70}, {0, 0}, {0, 0}, {90, 40}}});
    SetSchedule(block, 1, 0, 2000, {{{60, 50}, {0, 0}, {0, 0}, {0, 0}, {60, 100}}});
    entry_ = &AddFileEntry("/data/a.LUM", block);
    SelectNode("a.LUM");
    Window().ui().actNightProfile->trigger();
  }
  void TearDown() override {
    profile_.reset();
    WindowFixture::TearDown();
  }

  static void SetSchedule(TCONFIG_BLOCK& block, int c, uint8_t mode, uint16_t cc,
                          std::array<std::pair<uint16_t, uint8_t>, 5> segments) {
    auto channel = block.Channel(0, c);
    channel.SetMode(mode);
    channel.SetCC(cc);
    for (int k = 0; k < 5; ++k) {
      channel.Timing(k).SetMinutes(segments[static_cast<size_t>(k)].first);
      channel.Timing(k).SetPower(segments[static_cast<size_t>(k)].second);
    }
  }
  const std::vector<NightProfileView::Output>& Outputs() { return profile_->View().Outputs(); }
  QString Summary(int output) { return profile_->View().SummaryText(Outputs()[static_cast<size_t>(output)].profile); }
  Ui::TFormLUM& u() { return Window().ui(); }

  std::unique_ptr<TFormNightProfile> profile_;
  TDEVICE_CONFIG* entry_ = nullptr;
};

TEST_F(NightProfileWindowTest, ToolsMenuShowsEachOutputsNightOfTheShownEntry) {
  EXPECT_TRUE(profile_->isVisible());
  ASSERT_EQ(Outputs().size(), 2u);
  EXPECT_EQ(Outputs()[0].caption, QStringLiteral("第 1 路 · 夜晚亮灯"));
  EXPECT_EQ(Outputs()[1].caption, QStringLiteral("第 2 路 · 一直亮灯"));
  EXPECT_TRUE(Outputs()[0].profile.hasMorning);
  EXPECT_FALSE(Outputs()[1].profile.hasMorning);
  EXPECT_EQ(Summary(0), QStringLiteral("每夜亮灯 6:30 小时，约 7.05 Ah"));
  EXPECT_EQ(Summary(1), QStringLiteral("每夜亮灯 2:00 小时，约 3.00 Ah"));
}

// The right end of the timeline is a length of night, never read as a clock time ("黎明 13:00").
TEST_F(NightProfileWindowTest, DawnIsSaidAsTheNightsLengthAfterDusk) {
  const NightProfile& night = Outputs()[0].profile;
  EXPECT_EQ(
      profile_->View().DawnText(night),
      QStringLiteral("黎明（黄昏后 %1 小时）").arg(QString::fromStdString(FormatHoursMinutes(night.nightMinutes))));
}

// Beside the main window when there is room; a main window at the right edge of the screen
// leaves the profile overlapping it, never partly off the screen.
TEST_F(NightProfileWindowTest, OpensWhollyOnTheScreen) {
  profile_.reset();
  const QRect screen = Window().screen()->availableGeometry();
  Window().resize(std::min(640, screen.width() / 2), std::min(480, screen.height() / 2));
  Window().move(screen.right() + 1 - Window().frameGeometry().width(), screen.top());
  profile_ = std::make_unique<TFormNightProfile>(Window());
  u().actNightProfile->trigger();
  ASSERT_TRUE(profile_->isVisible());
  const QRect placed = profile_->frameGeometry();
  EXPECT_TRUE(screen.contains(placed)) << placed.x() << "," << placed.y() << " " << placed.width() << "x"
                                       << placed.height();
}

TEST_F(NightProfileWindowTest, FollowsEveryEditOfTheLoadPageAtOnce) {
  SetGridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), timing_grid::kMinutesColumn, 3, QStringLiteral("60"));
  SetGridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), timing_grid::kPowerColumn, 3, QStringLiteral("50"));
  EXPECT_EQ(Outputs()[0].profile.segments[2].minutes, 60u);
  EXPECT_EQ(Summary(0), QStringLiteral("每夜亮灯 7:30 小时，约 7.80 Ah"));

  // Always on: no morning segment any more, the fifth follows the third.
  Find<QComboBox>(*u().tsLoad, "cbbWorkMode")->setCurrentIndex(0);
  EXPECT_FALSE(Outputs()[0].profile.hasMorning);
  EXPECT_EQ(Outputs()[0].profile.segments[4].start, 360u);
  EXPECT_EQ(Outputs()[0].caption, QStringLiteral("第 1 路 · 一直亮灯"));

  // The rated current counts only while its field is enabled (here by PWM dimming); one
  // being typed counts as soon as it is a number, until then the stored one stands in.
  Find<QLineEdit>(*u().tsLoad, "lbledtCC")->setText(QStringLiteral("3"));
  EXPECT_EQ(Outputs()[0].profile.ratedCurrentMa, 1500);
  Find<QCheckBox>(*u().tsLoad, "chkPWMDIM")->click();
  ASSERT_TRUE(Find<QLineEdit>(*u().tsLoad, "lbledtCC")->isEnabled());
  EXPECT_EQ(Outputs()[0].profile.ratedCurrentMa, 3000);
  Find<QLineEdit>(*u().tsLoad, "lbledtCC")->setText(QStringLiteral("1.x"));
  EXPECT_EQ(Outputs()[0].profile.ratedCurrentMa, 1500);
  Find<QLineEdit>(*u().tsLoad, "lbledtCC")->setText(QStringLiteral("3"));
  EXPECT_EQ(Outputs()[0].profile.ratedCurrentMa, 3000);

  // Showing output 2 keeps output 1's edits (the page stored them) and shows output 2's.
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  EXPECT_EQ(Outputs()[0].profile.segments[2].minutes, 60u);
  EXPECT_EQ(Outputs()[0].profile.ratedCurrentMa, 3000);
  SetGridText(*Find<QTableWidget>(*u().tsLoad, "StringGrid"), timing_grid::kPowerColumn, 1, QStringLiteral("100"));
  EXPECT_EQ(Summary(1), QStringLiteral("每夜亮灯 2:00 小时，约 4.00 Ah"));
}

TEST_F(NightProfileWindowTest, AnotherEntryOrNoDeviceTypeRedrawsTheWindow) {
  AddFileEntry("/data/b.LUM", SampleBlock(0));  // one output
  SelectNode("b.LUM");
  EXPECT_EQ(Outputs().size(), 1u);
  SelectNode("New File");  // no device type chosen
  EXPECT_TRUE(Outputs().empty());
}

TEST_F(NightProfileWindowTest, BarsAreAsHighAsThePowerAndPlacedInTimeWithTheMorningInItsColour) {
  NightProfileView& view = profile_->View();
  const QImage picture = view.grab().toImage();
  const QRect bar = view.BarArea(0);
  ASSERT_GT(bar.width(), 200);
  auto at = [&](int minute, int heightPercent) {
    return picture.pixel(bar.left() + minute * bar.width() / 720,
                         bar.bottom() - (NightProfileView::kBarHeight * heightPercent) / 100);
  };
  // Segment 1, full power, from dusk: lit all the way up.
  EXPECT_EQ(at(60, 95), NightProfileView::kEveningColour);
  // Segment 2 at 70 %: lit below 70 % of the height, sky above it.
  EXPECT_EQ(at(200, 10), NightProfileView::kEveningColour);
  EXPECT_EQ(at(200, 90), NightProfileView::kSkyColour);
  // Dark between the evening and the morning.
  EXPECT_EQ(at(450, 10), NightProfileView::kSkyColour);
  // The morning segment ends at dawn, 40 %.
  EXPECT_EQ(at(700, 10), NightProfileView::kMorningColour);
  EXPECT_EQ(at(620, 10), NightProfileView::kSkyColour);
  EXPECT_EQ(at(700, 60), NightProfileView::kSkyColour);
}

}  // namespace
}  // namespace lum::test
