// Ending the program never loses work without asking: every way of closing asks about edits
// not yet applied and changes neither saved nor written; the exit keys leave a text field its
// cut; termination signals end the real program, the log written, even with a box open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include "ActionsTestFixture.h"
#include "data/ConfigFile.h"
#include "data/TempDir.h"

namespace lum::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class QuittingTest : public ActionsTest {
 public:  // the ways of closing below reach these
  // A configuration file opened and shown, as edits are made to one.
  void SetUp() override {
    ActionsTest::SetUp();
    CreateShown();
    FillTypeLists();
    SaveConfigFile(path_, SampleBlock(1));
    Window().OpenConfigFileAt(path_);
    SelectNode("street.LUM");
  }
  TFormLUM& Main() { return Window(); }
  Ui::TFormLUM& u() { return Window().ui(); }
  std::string path_ = (fs::path(Dir()) / "street.LUM").string();
  bool LogWritten() const { return fs::exists(fs::path(Dir()) / "LUM.LOG"); }
  // An edit of the shown entry, typed as the user does.
  void EditChargeCutOff() {
    QLineEdit& edit = *Find<QLineEdit>(*u().PageControl, "lbledtBattOVP");
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("14.90"));
  }
  // Presses a key where the focus is, through the shortcuts as a real key press goes.
  void Press(int key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &Window(), static_cast<Qt::Key>(key), Qt::ControlModifier);
  }
};

// Each way of closing, tried on a window with an edit not yet applied.
struct CloseWay {
  const char* name;
  std::function<void(QuittingTest&)> close;
};

TEST_F(QuittingTest, EveryWayOfClosingAsksAboutAnEditNotYetApplied) {
  const CloseWay ways[] = {
      {"Ctrl+X", [](QuittingTest& t) { t.Press(Qt::Key_X); }},
      {"Ctrl+Q", [](QuittingTest& t) { t.Press(Qt::Key_Q); }},
      {"File menu Exit", [](QuittingTest& t) { t.u().MenuExitLUM->trigger(); }},
      {"window close box", [](QuittingTest& t) { t.Main().close(); }},
  };
  for (const CloseWay& way : ways) {
    SCOPED_TRACE(way.name);
    EditChargeCutOff();
    u().tvDevices->setFocus();  // off the field: the keys are the window's here
    const size_t asked = dialogs_.Questions().size();
    dialogs_.AnswerCancel();
    way.close(*this);
    ASSERT_EQ(dialogs_.Questions().size(), asked + 1) << "closed without asking";
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(LogWritten());
    EXPECT_EQ(Find<QLineEdit>(*u().PageControl, "lbledtBattOVP")->text(), QStringLiteral("14.90"));
  }
}

TEST_F(QuittingTest, ExitKeyInATextFieldCutsAndQuitKeyStillQuits) {
  QLineEdit& edit = *Find<QLineEdit>(*u().PageControl, "lbledtBattOVP");
  edit.setFocus();
  edit.selectAll();
  const QString before = edit.text();
  ASSERT_FALSE(before.isEmpty());
  Press(Qt::Key_X);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_TRUE(dialogs_.Questions().empty());
  EXPECT_EQ(edit.text(), QString());
  EXPECT_EQ(QApplication::clipboard()->text(), before);

  // The cut was an edit: Ctrl+Q from the same field asks about it; No drops it and quits.
  dialogs_.AnswerYesNo(false);
  Press(Qt::Key_Q);
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(LogWritten());
}

TEST_F(QuittingTest, ChangesNeitherSavedNorWrittenAreNamedBeforeQuitting) {
  EditChargeCutOff();

  // Applied, the edit is still only in the program: quitting names the entry; No stays.
  dialogs_.AnswerYesNo(true);
  dialogs_.AnswerYesNo(false);
  Window().close();
  ASSERT_EQ(dialogs_.Questions().size(), 2u);
  EXPECT_TRUE(dialogs_.Questions()[1].second.contains(QStringLiteral("street.LUM")))
      << dialogs_.Questions()[1].second.toStdString();
  EXPECT_TRUE(Window().isVisible());
  EXPECT_FALSE(LogWritten());

  // Saved, nothing is left to lose: quitting asks nothing.
  dialogs_.AnswerFileName(QString::fromStdString(path_));
  u().actSaveConfigToFile->trigger();
  Window().close();
  EXPECT_EQ(dialogs_.Questions().size(), 2u);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(LogWritten());
}

TEST_F(QuittingTest, UntouchedEntriesQuitWithoutAQuestion) {
  SelectNode("New File");
  u().MenuExitLUM->trigger();
  EXPECT_TRUE(dialogs_.Questions().empty());
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(LogWritten());
}

// The real program, started offscreen in a scratch folder whose LUM.INI maps no port.
class SignalEndTest : public ::testing::TestWithParam<int> {
 protected:
  // The remembered language file lacks keys and may not be written: completing it fails at
  // start-up, and the error box stays open, as no one answers it.
  void PrepareFolderWithAnErrorBox() {
    std::ofstream(dir_ / "LUM.INI", std::ios::binary) << "[Ports]\r\n[Language]\r\nLanguageFile=LUM_ro.lng\r\n";
    std::ofstream(dir_ / "LUM_ro.lng", std::ios::binary)
        << "[FileInfo]\r\nLanguage=Read only\r\nApplication=LUM\r\n[Strings]\r\n";
    fs::permissions(dir_ / "LUM_ro.lng", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }

  pid_t Start() {
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(126);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      setenv("LC_ALL", "C.UTF-8", 1);
      execl(LUM_PATH, LUM_PATH, static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid;
  }

  // Waits for what the start-up leaves just before its box; false if it never comes.
  bool WaitForFile(const fs::path& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(path)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  // The exit status, or nullopt when the program is still running after a minute (it is
  // then killed).
  std::optional<int> WaitForExit(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return std::nullopt;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  ScratchDir scratch_;
  fs::path dir_ = scratch_.path();
};

TEST_P(SignalEndTest, SignalWithTheStartUpErrorBoxOpenEndsTheProgramAndWritesTheLog) {
  PrepareFolderWithAnErrorBox();
  const pid_t lum = Start();
  ASSERT_GT(lum, 0);
  // The built-in language file is made just before the remembered one is completed.
  ASSERT_TRUE(WaitForFile(dir_ / "LUM_chs.lng"));
  kill(lum, GetParam());
  const std::optional<int> status = WaitForExit(lum);
  ASSERT_TRUE(status.has_value()) << "still running a minute after the signal";
  EXPECT_EQ(*status, 0);
  const std::string log = ReadFile(dir_ / "LUM.LOG");
  EXPECT_NE(log.find("Lum Started at"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(TerminationSignals, SignalEndTest, ::testing::Values(SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& signal) {
                           return std::string(signal.param == SIGTERM ? "SIGTERM" : "SIGHUP");
                         });

}  // namespace
}  // namespace lum::test
