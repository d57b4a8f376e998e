// No edit is lost or written without the user knowing: the apply question with Cancel, what
// the pages show after No, the tree after a refused switch, and which node files select.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "ActionsTestFixture.h"
#include "RadioGroup.h"
#include "WindowNames.h"
#include "data/ConfigFile.h"
#include "data/TypeTables.h"

namespace lum::test {
namespace {

class EditSafetyTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    CreateShown();
    FillTypeLists();
    a_ = &AddFileEntry(PathIn("a.LUM"), SampleBlock(1));
    b_ = &AddFileEntry(PathIn("b.LUM"), SampleBlock(2));
    SelectNode("a.LUM");
  }
  Ui::TFormLUM& u() { return Window().ui(); }
  QString SelectedNode() {
    const auto selected = u().tvDevices->selectedItems();
    return selected.size() == 1 ? selected.front()->text(0) : QStringLiteral("<%1 selected>").arg(selected.size());
  }
  QString NodePanel() { return Window().StatusPanel(names::kNodePanel).text(); }
  // Clicks a node as the user does, then lets the window finish what the click started.
  void ClickNode(const QString& text) {
    QTreeWidget& tree = *u().tvDevices;
    const auto found = tree.findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(found.front()).center());
    QTest::qWait(20);
  }

  TDEVICE_CONFIG* a_ = nullptr;
  TDEVICE_CONFIG* b_ = nullptr;
};

TEST_F(EditSafetyTest, RefusedSwitchKeepsTreeStatusAndPagesTogether) {
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("1.x"));
  dialogs_.AnswerYesNo(true);
  ClickNode("b.LUM");
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(Window().CurrentEntry(), a_);
  EXPECT_EQ(SelectedNode(), "a.LUM");
  EXPECT_EQ(u().tvDevices->currentItem()->text(0), "a.LUM");
  EXPECT_EQ(NodePanel(), "a.LUM");

  // Corrected, the same click switches.
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.70"));
  dialogs_.AnswerYesNo(true);
  SelectNode("b.LUM");
  EXPECT_EQ(Window().CurrentEntry(), b_);
  EXPECT_EQ(a_->Config.BattOVP(), 14700);
  EXPECT_EQ(NodePanel(), "b.LUM");
}

TEST_F(EditSafetyTest, ClickOnTheTreesEmptyAreaKeepsTheHighlight) {
  QWidget& area = *u().tvDevices->viewport();
  QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(area.width() / 2, area.height() - 4));
  EXPECT_EQ(SelectedNode(), "a.LUM");
  EXPECT_EQ(Window().CurrentEntry(), a_);
}

TEST_F(EditSafetyTest, CancelAbandonsSwitchWriteOpenAndConnect) {
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.90"));
  const QStringList before = InfoLines();

  dialogs_.AnswerCancel();
  ClickNode("b.LUM");
  EXPECT_EQ(Window().CurrentEntry(), a_);
  EXPECT_EQ(SelectedNode(), "a.LUM");
  EXPECT_EQ(NodePanel(), "a.LUM");

  dialogs_.AnswerCancel();
  u().actWriteToDevice->trigger();
  dialogs_.AnswerCancel();
  u().actOpenConfigFile->trigger();  // a file dialog here would fail: none is scripted
  dialogs_.AnswerCancel();
  u().actConnectDevice->trigger();

  EXPECT_EQ(dialogs_.Questions().size(), 4u);
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_EQ(InfoLines(), before) << "nothing was written, opened or scanned";
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), "14.90");
  EXPECT_TRUE(a_->Modified);
  EXPECT_EQ(a_->Config.BattOVP(), 14600);
  EXPECT_TRUE(u().actConnectDevice->isEnabled());
}

TEST_F(EditSafetyTest, CancelKeepsTheEditPendingAndTheEntryAsItWas) {
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.90"));
  dialogs_.AnswerCancel();
  EXPECT_EQ(Window().ConfirmApply(), ApplyOutcome::Cancelled);
  EXPECT_EQ(a_->Config.BattOVP(), 14600);
  EXPECT_TRUE(a_->Modified);
  // Asked again, the same edit is still there to be applied.
  dialogs_.AnswerYesNo(true);
  EXPECT_EQ(Window().ConfirmApply(), ApplyOutcome::Proceed);
  EXPECT_EQ(a_->Config.BattOVP(), 14900);
  EXPECT_FALSE(a_->Modified);
}

TEST_F(EditSafetyTest, AnEditOnAPageMarksTheEntryShown) {
  a_->Modified = false;
  u().actSaveConfigToFile->setEnabled(false);
  u().actWriteToDevice->setEnabled(false);
  Find<QPushButton>(*u().PageControl, "btnSCDelayUnit")->click();
  EXPECT_TRUE(a_->Modified);
  EXPECT_FALSE(b_->Modified);
  EXPECT_TRUE(u().actSaveConfigToFile->isEnabled());
  EXPECT_TRUE(u().actWriteToDevice->isEnabled());
}

TEST_F(EditSafetyTest, NoShowsTheStoredValuesAgain) {
  Find<RadioGroup>(*u().tsLoad, "rgChannel")->SetItemIndex(1);
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.90"));
  Find<QLineEdit>(*u().tsLoad, "lbledtCC")->setText(QStringLiteral("3.00"));
  dialogs_.AnswerYesNo(false);
  dialogs_.AnswerFileName({});
  u().actOpenConfigFile->trigger();
  EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), "14.60");
  EXPECT_FALSE(a_->Modified);
  EXPECT_EQ(a_->Config.BattOVP(), 14600);
  EXPECT_EQ(a_->Config.Channel(0, 1).CC(), SampleBlock(1).Channel(0, 1).CC()) << "the shown channel stays as stored";
  // Nothing is asked again: the pages hold no edit.
  SelectNode("b.LUM");
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
}

TEST_F(EditSafetyTest, ConnectAsksForTheEditsOfAControllersEntry) {
  a_->FromDevice = true;
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.90"));
  dialogs_.AnswerCancel();
  u().actConnectDevice->trigger();
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(Window().CurrentEntry(), a_);
}

TEST_F(EditSafetyTest, SaveSelectsTheSavedFileAndAsksNothing) {
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.90"));
  dialogs_.AnswerFileName({});
  u().actSaveConfigToFile->trigger();
  EXPECT_EQ(SelectedNode(), "a.LUM");

  SelectNode("b.LUM");
  Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->setText(QStringLiteral("14.30"));
  const std::string path = PathIn("0-first.LUM");
  dialogs_.AnswerFileName(QString::fromStdString(path));
  u().actSaveConfigToFile->trigger();
  EXPECT_TRUE(dialogs_.Questions().empty());
  EXPECT_EQ(SelectedNode(), "0-first.LUM");
  EXPECT_EQ(Window().CurrentEntry(), b_);
  EXPECT_EQ(OpenConfigFile(path).block.BattUVP(), 11000);
  EXPECT_EQ(OpenConfigFile(path).block.BattOVP(), 14300);
}

TEST_F(EditSafetyTest, SavingKeepsTheExactValuesOfUntouchedFields) {
  TCONFIG_BLOCK block = SampleBlock(1);
  block.SetBattOVP(65535);
  block.Channel(0, 0).SetCC(12345);
  AddFileEntry(PathIn("c.LUM"), block);
  SelectNode("c.LUM");
  Find<QLineEdit>(*u().PageControl, "lbledtBattFCV")->setText(QStringLiteral("13.90"));
  const std::string path = PathIn("saved.LUM");
  dialogs_.AnswerFileName(QString::fromStdString(path));
  u().actSaveConfigToFile->trigger();
  const TCONFIG_BLOCK saved = OpenConfigFile(path).block;
  EXPECT_EQ(saved.BattFCV(), 13900);
  EXPECT_EQ(saved.BattOVP(), 65535);
  EXPECT_EQ(saved.Channel(0, 0).CC(), 12345);
}

TEST_F(EditSafetyTest, OpenSelectsTheOpenedFile) {
  const std::string path = PathIn("z.LUM");
  SaveConfigFile(path, SampleBlock(0));
  dialogs_.AnswerFileName(QString::fromStdString(path));
  u().actOpenConfigFile->trigger();
  EXPECT_EQ(SelectedNode(), "z.LUM");
  EXPECT_EQ(Window().CurrentEntry()->Name, path);
}

TEST_F(EditSafetyTest, SavingNewFileLeavesAFreshNewFile) {
  SelectNode("New File");
  Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->setCurrentIndex(0);
  Window().cbbDeviceTypesChange();
  const std::string path = PathIn("mine.LUM");
  dialogs_.AnswerFileName(QString::fromStdString(path));
  u().actSaveConfigToFile->trigger();
  EXPECT_EQ(SelectedNode(), "mine.LUM");
  EXPECT_EQ(TreeTexts(), (QStringList{"New File", "a.LUM", "b.LUM", "mine.LUM"}));

  SelectNode("New File");
  EXPECT_EQ(Find<QComboBox>(*u().PageControl, "cbbDeviceTypes")->currentIndex(), -1)
      << "the new configuration starts empty again";
  EXPECT_EQ(OpenConfigFile(path).block.ProductID(), DeviceTypes()[0].ProductCode);
}

}  // namespace
}  // namespace lum::test
