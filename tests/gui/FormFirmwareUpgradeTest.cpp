// The upgrade window offscreen: its start state, its title, loading files and one whole upgrade
// against the simulated loader on a pseudo-terminal (each image block costs 600 ms of real
// time, so the image is tiny).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <set>

#include "FormFirmwareUpgrade.h"
#include "WindowFixture.h"
#include "WindowNames.h"
#include "sim/Loader.h"
#include "support/PtyPair.h"
#include "support/UpgradeTestSupport.h"
#include "ui_FormFirmwareUpgrade.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

constexpr unsigned kQuitTimeoutMs = 5000;  // safety net only; the loader is far quicker
constexpr int kUpgradeTimeoutMs = 60000;   // safety net only: the whole dialogue of a small file

QStringList MemoLines(const Ui::TFormFirmwareUpgrade& u) {
  QStringList lines;
  for (QTextBlock b = u.MemoMessage->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

class FormFirmwareUpgradeTest : public WindowFixture {
 protected:
  void TearDown() override {
    upgrade_.reset();
    WindowFixture::TearDown();
  }

  TFormFirmwareUpgrade& CreateBoth() {
    upgrade_ = std::make_unique<TFormFirmwareUpgrade>(Create());
    return *upgrade_;
  }

  // Writes an upgrade file into the working directory and returns its full path.
  std::string WriteEff(const std::string& name, const EffFields& eff) {
    const auto bytes = test::EffBytes(eff);
    const auto path = std::filesystem::path(Dir()) / name;
    std::ofstream(path, std::ios::binary) << std::string(bytes.begin(), bytes.end());
    return path.string();
  }

  void Open(const std::string& path) {
    dialogs_.AnswerFileName(QString::fromStdString(path));
    upgrade_->ui().btnOpenEffFile->click();
  }

  std::unique_ptr<TFormFirmwareUpgrade> upgrade_;
};

TEST_F(FormFirmwareUpgradeTest, StartsWithTheOpenablePortsAndNoFileToSend) {
  PtyPair first;
  PtyPair second;
  WritePorts({{"COM5", second.SlavePath()}, {"COM2", first.SlavePath()}, {"COM3", Dir() + "/missing"}});
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();

  EXPECT_EQ(window.objectName(), "FormFirmwareUpgrade");
  EXPECT_EQ(window.windowTitle(), "Firmware Upgrade");
  EXPECT_EQ(window.size(), QSize(440, 222));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  ASSERT_EQ(u.ComboBoxCOMPort->count(), 2);
  EXPECT_EQ(u.ComboBoxCOMPort->itemText(0), "COM2");
  EXPECT_EQ(u.ComboBoxCOMPort->itemText(1), "COM5");
  EXPECT_EQ(u.ComboBoxCOMPort->currentIndex(), 0);
  EXPECT_FALSE(u.ComboBoxCOMPort->isEditable());
  EXPECT_TRUE(u.btnOpenEffFile->isEnabled());
  EXPECT_FALSE(u.btnUpgrade->isEnabled());
  EXPECT_EQ(u.btnUpgrade->text(), "开始升级");
  EXPECT_EQ(u.Gauge->value(), 0);
  EXPECT_EQ(u.Gauge->minimum(), 0);
  EXPECT_EQ(u.Gauge->maximum(), 100);
  EXPECT_TRUE(u.MemoMessage->toPlainText().isEmpty());
  EXPECT_TRUE(dialogs_.Errors().empty());
}

TEST_F(FormFirmwareUpgradeTest, OnlyTheDesignedComponentsCarryTheTranslationTag) {
  TFormFirmwareUpgrade& window = CreateBoth();
  std::set<QString> tagged;
  for (const QObject* child : window.findChildren<QObject*>())
    if (child->property(names::kTagProperty).toInt() == names::kTranslatableTag) tagged.insert(child->objectName());
  const std::set<QString> expected = {"GroupBoxCOM",         "LabelCOMPort",           "btnOpenEffFile",
                                      "btnUpgrade",          "LabeledEditEFFFilename", "lbledtEFFFirmwareVer",
                                      "lbledtEFFDescription"};
  EXPECT_EQ(tagged, expected);
  EXPECT_NE(window.property(names::kTagProperty).toInt(), names::kTranslatableTag);

  // The language pass finds each labelled edit's caption in its attached label.
  const std::pair<const char*, const char*> labels[] = {
      {"LabeledEditEFFFilename", "文件名："}, {"lbledtEFFFirmwareVer", "版本："}, {"lbledtEFFDescription", "描述："}};
  for (const auto& [edit, caption] : labels) {
    const auto* label = window.findChild<QLabel*>(names::EditLabelName(QString::fromLatin1(edit)));
    ASSERT_NE(label, nullptr) << edit;
    EXPECT_EQ(label->text(), QString::fromUtf8(caption));
    const auto* box = window.findChild<QLineEdit*>(QString::fromLatin1(edit));
    ASSERT_NE(box, nullptr) << edit;
    EXPECT_TRUE(box->isReadOnly()) << edit;
    EXPECT_EQ(box->focusPolicy(), Qt::NoFocus) << edit;
  }
}

TEST_F(FormFirmwareUpgradeTest, TitleFollowsTheUpgradeActionOnEveryActivation) {
  TFormFirmwareUpgrade& window = CreateBoth();
  QAction& action = *Window().ui().actFirmwareUpgrade;

  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(window.windowTitle(), "固件升级");

  // A language switch renames the action while the window is closed.
  window.close();
  action.setText("Firmware upgrade");
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(window.windowTitle(), "Firmware upgrade");

  // Activation alone, without a new showing, takes the current text as well.
  action.setText("Mise à jour");
  Window().show();
  QApplication::setActiveWindow(&Window());
  ASSERT_FALSE(window.isActiveWindow());
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(window.isActiveWindow());
  EXPECT_EQ(window.windowTitle(), "Mise à jour");
}

TEST_F(FormFirmwareUpgradeTest, GoodFileEnablesTheUpgradeAndABadOneDisablesItAgain) {
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();
  // The model name comes from the main window's list, as a language file may have renamed it.
  Find<QComboBox>(*Window().ui().PageControl, "cbbDeviceTypes")->setItemText(0, "Single channel");
  const std::string good = WriteEff("good.eff", EffFields{});
  u.Gauge->setValue(37);

  Open(good);
  EXPECT_TRUE(u.btnUpgrade->isEnabled());
  EXPECT_EQ(u.Gauge->value(), 0);
  EXPECT_TRUE(window.Content().Accepted);
  EXPECT_EQ(MemoLines(u), (QStringList{QString::fromStdString("打开文件 " + good + " ...Ok!"), "文件版本：1.0",
                                       "设备型号：Single channel", "固件版本：1.2.3.7", "文件已加载，准备升级。"}));
  EXPECT_EQ(u.LabeledEditEFFFilename->text(), "good.eff");
  EXPECT_EQ(u.lbledtEFFFirmwareVer->text(), "1.2.3.7");
  EXPECT_EQ(u.lbledtEFFDescription->text(), "Single channel");

  EffFields corrupt;
  corrupt.image = Pattern(16);
  corrupt.checksum = 1;
  Open(WriteEff("corrupt.eff", corrupt));
  EXPECT_FALSE(u.btnUpgrade->isEnabled());
  EXPECT_FALSE(window.Content().Accepted);
  EXPECT_EQ(MemoLines(u).size(), 5);
  EXPECT_EQ(MemoLines(u).back(), "文件数据错误！");
  EXPECT_EQ(u.LabeledEditEFFFilename->text(), "corrupt.eff");

  // A wrong magic stops at the first line; the other fields keep the last values read.
  EffFields wrongMagic;
  wrongMagic.magic = "ZIP";
  Open(WriteEff("wrong.eff", wrongMagic));
  EXPECT_FALSE(u.btnUpgrade->isEnabled());
  EXPECT_EQ(MemoLines(u).size(), 1);
  EXPECT_TRUE(MemoLines(u).front().endsWith("...错误！"));
  EXPECT_EQ(u.lbledtEFFFirmwareVer->text(), "1.2.3.7");
  EXPECT_TRUE(dialogs_.Errors().empty());
}

TEST_F(FormFirmwareUpgradeTest, CancellingTheDialogChangesNothing) {
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();
  EffFields eff;
  eff.image = Pattern(20, 7);
  Open(WriteEff("fw.eff", eff));
  const QString memo = u.MemoMessage->toPlainText();
  u.Gauge->setValue(55);  // as after an upgrade that stopped half-way

  dialogs_.AnswerFileName({});
  u.btnOpenEffFile->click();
  EXPECT_TRUE(u.btnUpgrade->isEnabled());
  EXPECT_EQ(u.MemoMessage->toPlainText(), memo);
  EXPECT_EQ(u.Gauge->value(), 55);
  EXPECT_EQ(window.Content().ImageLength, 20u);
  EXPECT_TRUE(window.Content().Accepted);
}

TEST_F(FormFirmwareUpgradeTest, UnreadableFileShowsAnErrorBoxAndLeavesTheUpgradeDisabled) {
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();
  Open(WriteEff("fw.eff", EffFields{}));
  ASSERT_TRUE(u.btnUpgrade->isEnabled());

  Open(Dir() + "/missing.eff");
  EXPECT_FALSE(u.btnUpgrade->isEnabled());
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_TRUE(dialogs_.Errors().front().contains("missing.eff")) << dialogs_.Errors().front().toStdString();
  EXPECT_TRUE(u.btnOpenEffFile->isEnabled());
}

TEST_F(FormFirmwareUpgradeTest, ClosingAndReopeningKeepsTheMemoTheFieldsAndTheFile) {
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();
  Open(WriteEff("fw.eff", EffFields{}));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QString memo = u.MemoMessage->toPlainText();

  window.close();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(u.MemoMessage->toPlainText(), memo);
  EXPECT_EQ(u.LabeledEditEFFFilename->text(), "fw.eff");
  EXPECT_EQ(u.lbledtEFFFirmwareVer->text(), "1.2.3.7");
  EXPECT_TRUE(u.btnUpgrade->isEnabled());
  EXPECT_TRUE(window.Content().Accepted);
}

TEST_F(FormFirmwareUpgradeTest, WithoutPortsTheUpgradeFailsAtItsFirstStepAndTheButtonsComeBack) {
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();
  ASSERT_EQ(u.ComboBoxCOMPort->count(), 0);
  Open(WriteEff("fw.eff", EffFields{}));

  u.btnUpgrade->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Upgrading(); }, kUpgradeTimeoutMs));
  EXPECT_EQ(MemoLines(u).back(), "打开通讯端口... 错误！");
  EXPECT_EQ(MemoLines(u).front().left(5), "打开文件 ");  // the loading report stays above
  EXPECT_TRUE(u.btnUpgrade->isEnabled());
  EXPECT_TRUE(u.btnOpenEffFile->isEnabled());
  EXPECT_EQ(u.btnUpgrade->text(), "开始升级");
}

TEST_F(FormFirmwareUpgradeTest, UpgradeSendsTheFileToTheLoaderOnTheChosenPort) {
  sim::LoaderOptions options;
  options.BlockSize = 8;
  sim::SimLoader loader(options);
  PtyPair other;
  WritePorts({{"COM1", other.SlavePath()}, {"COM4", loader.Path()}});
  TFormFirmwareUpgrade& window = CreateBoth();
  Ui::TFormFirmwareUpgrade& u = window.ui();
  EffFields eff;
  eff.blockSize = 8;
  eff.image = Pattern(24, 0x41);  // 3 blocks
  eff.data = Pattern(8, 0xA0);
  eff.version = 206;
  eff.build = 3;
  Open(WriteEff("fw.eff", eff));
  ASSERT_TRUE(u.btnUpgrade->isEnabled());
  u.ComboBoxCOMPort->setCurrentText("COM4");

  // Seen while the dialogue runs on its own thread; closing is refused then.
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  bool sawUpgrading = false;
  bool stayedOpen = false;
  QTimer::singleShot(0, &window, [&] {
    sawUpgrading = !u.btnUpgrade->isEnabled() && !u.btnOpenEffFile->isEnabled() && u.btnUpgrade->text() == "正在升级";
    window.reject();
    stayedOpen = window.isVisible();
  });
  u.btnUpgrade->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Upgrading(); }, kUpgradeTimeoutMs));

  EXPECT_TRUE(sawUpgrading);
  EXPECT_TRUE(stayedOpen);
  const QStringList lines = MemoLines(u);
  EXPECT_EQ(lines.mid(lines.size() - 7),
            (QStringList{"打开COM4通讯端口... Ok!", "设置COM4通讯端口... Ok!", "等待硬件响应... Ok!",
                         "核对硬件身份... Ok!", "正在升级固件... Ok!", "正在更新数据... Ok!", "恭喜：固件升级完成！"}));
  EXPECT_EQ(lines.front().left(5), "打开文件 ");
  EXPECT_EQ(u.Gauge->value(), 100);
  EXPECT_TRUE(u.btnUpgrade->isEnabled());
  EXPECT_TRUE(u.btnOpenEffFile->isEnabled());
  EXPECT_EQ(u.btnUpgrade->text(), "开始升级");

  ASSERT_TRUE(loader.WaitForQuits(2, kQuitTimeoutMs));
  const auto record = loader.Record();
  EXPECT_EQ(record.Image, eff.image);
  EXPECT_EQ(record.Data, eff.data);
  EXPECT_EQ(record.Version, 206);
  EXPECT_EQ(record.Build, 3);
  EXPECT_EQ(record.RejectedBlocks, 0);
}

}  // namespace
}  // namespace lum::test
