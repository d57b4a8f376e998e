// The change view before a write: what would change on the controller as last read, in the
// language in use; Cancel sends no write request.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "ActionsTestFixture.h"
#include "LanguageComponents.h"
#include "data/ConfigFields.h"
#include "data/NumberFormats.h"
#include "language/FieldCaptions.h"
#include "language/WindowCaptions.h"
#include "sim/Request.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

class WriteReviewTest : public ActionsTest {
 protected:
  // One controller on COM1, read by Connect; its entry is shown.
  sim::Controller& ReadController(const sim::ControllerSetup& setup) {
    sim::Controller& controller = simulator.AddController(setup);
    simulator.Start();
    WritePorts({{"COM1", controller.Path()}});
    CreateShown();
    FillTypeLists();  // as the language pass does: a page without work modes stores none (0xFF)
    Window().ui().actConnectDevice->trigger();
    EXPECT_TRUE(WaitForDevice());
    return controller;
  }
  static size_t Writes(const sim::Controller& controller) {
    size_t writes = 0;
    for (const auto& frame : controller.RequestLog()) writes += sim::DecodeRequest(frame).IsWrite() ? 1 : 0;
    return writes;
  }
};

TEST_F(WriteReviewTest, TheChangesAreListedWithThePagesLabelsAndCancelWritesNothing) {
  const sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = ReadController(setup);
  Ui::TFormLUM& u = Window().ui();
  TDEVICE_CONFIG& entry = *Window().CurrentEntry();
  ASSERT_TRUE(entry.FromDevice);
  entry.Config.SetBattOVP(static_cast<uint16_t>(setup.config.BattOVP() + 200));
  entry.Config.Channel(0, 1).Timing(2).SetMinutes(333);
  entry.Config.SetBattReserved(5);  // never written: not listed
  Window().ShowEntry();

  dialogs_.AnswerChanges(false);
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(dialogs_.ChangeViews().size(), 1u);
  const ChangeList& changes = dialogs_.ChangeViews()[0];
  EXPECT_EQ(changes.title, "写入前核对：COM1") << "the controller written is named";
  EXPECT_EQ(changes.text, "以下设置将在控制器中改变（上次读取的值 → 将写入的值）：");
  EXPECT_EQ(changes.columns, (QStringList{"设置", "原值", "新值"}));
  const auto volts = [](uint16_t mv) { return QString::fromStdString(FormatScaled(mv, kScaleMilli) + " V"); };
  EXPECT_EQ(changes.rows, (std::vector<ChangeRow>{
                              {"过充保护电压", volts(setup.config.BattOVP()), volts(setup.config.BattOVP() + 200)},
                              {"第 2 路 第三段 时间(分钟)",
                               QString::number(setup.config.Channel(0, 1).Timing(2).Minutes()) + " min", "333 min"}}));
  EXPECT_EQ(Writes(controller), 0u);  // cancelled: nothing sent
  EXPECT_EQ(controller.Config(), setup.config);

  // Confirmed, the write goes; afterwards the controller holds it all and nothing would change.
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_GT(Writes(controller), 0u);
  EXPECT_EQ(controller.Config().BattOVP(), setup.config.BattOVP() + 200);
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(dialogs_.ChangeViews().size(), 3u);
  EXPECT_TRUE(dialogs_.ChangeViews()[2].rows.empty());
  // Nothing would change: the view says so and asks, and its button says what it does.
  EXPECT_EQ(dialogs_.ChangeViews()[2].text, "没有变化：控制器已保存这些设置。仍要写入吗？");
  EXPECT_EQ(dialogs_.ChangeViews()[2].acceptText, "仍然写入");
  EXPECT_TRUE(dialogs_.ChangeViews()[0].acceptText.isEmpty());  // a list: Ok writes it
}

// The button that writes names the write when the view lists nothing.
TEST(ChangeDialog, ItsWriteButtonSaysWhatItDoes) {
  ChangeList list;
  list.text = QStringLiteral("No change: the controller already holds these settings. Write anyway?");
  list.acceptText = QStringLiteral("Write anyway");
  QString shown;
  QTimer::singleShot(0, [&shown] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(window);
      if (dialog == nullptr || dialog->objectName() != QStringLiteral("FormWriteChanges")) continue;
      shown = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text();
      dialog->reject();
    }
  });
  EXPECT_FALSE(ShowChangeDialog(nullptr, list));
  EXPECT_EQ(shown, QStringLiteral("Write anyway"));
}

// What the pages never let the user change is written back as the controller holds it.
TEST_F(WriteReviewTest, AddressAndMiModeTwoSurviveAnEditAndAWrite) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  setup.config.SetAddress(5);
  setup.config.SetFuncFlags(block_bits::kMiEnabled | 2);  // mode 2: no radio button stands for it
  sim::Controller& controller = ReadController(setup);
  Ui::TFormLUM& u = Window().ui();
  Find<QLineEdit>(*u.PageControl, "lbledtSCV")->setText(QStringLiteral("6.50"));
  dialogs_.AnswerYesNo(true);  // apply the edit
  dialogs_.AnswerChanges(true);
  u.actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  EXPECT_EQ(controller.Config().SCV(), 650) << u.mmoInfo->toPlainText().toStdString();
  EXPECT_EQ(controller.Config().Address(), 5);
  EXPECT_EQ(controller.Config().FuncFlags() & (block_bits::kMiEnabled | block_bits::kMiModeMask),
            block_bits::kMiEnabled | 2);
}

TEST_F(WriteReviewTest, WithoutAReadControllerOfTheProductTheViewAsksWhetherToWriteAnyway) {
  CreateShown();
  FillTypeLists();
  AddFileEntry("/data/a.LUM", SampleBlock(1));
  SelectNode("a.LUM");
  dialogs_.AnswerChanges(false);
  Window().ui().actWriteToDevice->setEnabled(true);
  Window().ui().actWriteToDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(dialogs_.ChangeViews().size(), 1u);
  EXPECT_TRUE(dialogs_.ChangeViews()[0].rows.empty());
  EXPECT_EQ(dialogs_.ChangeViews()[0].text, "尚未读取同型号的控制器，无法列出变化。仍要写入吗？");
  EXPECT_EQ(dialogs_.ChangeViews()[0].acceptText, "仍然写入");
  EXPECT_EQ(CountInfo("Write to device"), 0);  // cancelled before the session was asked
}

// lumctl names fields by the window's captions without a window: its built-in texts must be
// the window's own, for every component the field table names.
TEST_F(WriteReviewTest, TheBuiltInFieldCaptionsAreTheWindowsOwn) {
  CreateShown();
  for (const BuiltInCaption& entry : FieldCaptions()) {
    auto* component = Window().findChild<QWidget*>(QString::fromUtf8(entry.component));
    ASSERT_NE(component, nullptr) << entry.component;
    EXPECT_EQ(ComponentTexts(component, &Window()).Caption().toStdString(), entry.caption) << entry.component;
  }
  for (const FieldComponent& entry : FieldComponents()) {
    auto* component = Window().findChild<QWidget*>(QString::fromUtf8(entry.component));
    ASSERT_NE(component, nullptr) << entry.component;
    EXPECT_EQ(ComponentTexts(component, &Window()).Caption().toStdString(), entry.caption) << entry.component;
    EXPECT_EQ(WindowCaption(ProfileFile(), entry.component), entry.caption) << entry.component;
  }
}

}  // namespace
}  // namespace lum::test
