// Where the window keeps its files and which language it speaks, started as the program starts
// it: from the folders the start folder and the environment give.
#include <QAction>
#include <filesystem>
#include <fstream>

#include "ActionsTestFixture.h"
#include "ProgramShell.h"
#include "ProgramWindows.h"
#include "data/Backups.h"
#include "data/NumberFormats.h"
#include "language/FileLocations.h"

namespace lum::test {
namespace {

namespace fs = std::filesystem;

class StartFoldersTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    env_.home = In("home");
    env_.configHome = In("config");
    env_.stateHome = In("state");
    env_.dataHome = In("data");
    env_.lang = "en_GB.UTF-8";
  }
  std::string In(const std::string& name) const { return (fs::path(Dir()) / name).string(); }
  FormLUMOptions Options(const std::string& startDir, const std::string& shippedDir) {
    fs::create_directories(startDir);
    FormLUMOptions options = OptionsFor(LocateFiles(startDir, env_, shippedDir), env_);
    options.dialogs = &dialogs_;
    return options;
  }

  Environment env_;
};

// Started where no LUM.INI is, the window reads its ports from the settings folder and keeps
// the backups of what Connect reads in the data folder, where lumctl lists them.
TEST_F(StartFoldersTest, BackupsGoToTheDataFolder) {
  const sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = simulator.AddController(setup);
  simulator.Start();
  fs::create_directories(In("config/lum"));
  std::ofstream(In("config/lum/LUM.INI"), std::ios::binary) << "[Ports]\r\nCOM1=" << controller.Path() << "\r\n";

  TFormLUM window(Options(In("start"), ""));
  window.ui().actConnectDevice->trigger();
  ASSERT_TRUE(WaitForSession(window.Session()));

  EXPECT_EQ(ListBackups(In("data/lum"), FormatSerial(setup.serialNumber)).size(), 1u);
  EXPECT_FALSE(fs::exists(In("config/lum/backups")));
  EXPECT_FALSE(fs::exists(In("start/backups")));
}

// A folder with LUM.INI but no English file, an English locale and an installed English file:
// lumctl speaks English there, and so does the window.
TEST_F(StartFoldersTest, TheWindowSpeaksTheLanguageLumctlChooses) {
  fs::create_directories(In("shipped"));
  fs::copy_file(fs::path(LUM_SOURCE_DIR) / "lang/LUM_en.lng", In("shipped/LUM_en.lng"));
  fs::create_directories(In("portable"));
  std::ofstream(In("portable/LUM.INI"), std::ios::binary) << "[Ports]\r\n";
  ASSERT_EQ(ChosenLanguageFile(LocateFiles(In("portable"), env_, In("shipped")), env_), "LUM_en.lng");

  ProgramWindows windows(Options(In("portable"), In("shipped")));
  EXPECT_EQ(windows.Main().ui().actConnectDevice->text(), QStringLiteral("Connect device"));
}

}  // namespace
}  // namespace lum::test
