#include <gtest/gtest.h>

#include <filesystem>

#include "base/RegularFile.h"
#include "data/TempDir.h"
#include "language/FileLocations.h"
#include "language/Settings.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

class FileLocationsTest : public TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    fs::create_directories(dir_ / "start");
    env_.home = Path("home");
  }
  std::string Start() const { return Path("start"); }
  Environment env_;
};

TEST_F(FileLocationsTest, FolderWithLumIniKeepsEverything) {
  WriteRaw("start/LUM.INI", "[Language]\r\n");
  env_.configHome = Path("config");
  const FileLocations files = LocateFiles(Start(), env_, Path("shipped"));
  EXPECT_TRUE(files.portable);
  EXPECT_EQ(files.settingsDir, Start());
  EXPECT_EQ(files.logDir, Start());
  EXPECT_EQ(files.dataDir, Start());
  EXPECT_EQ(files.LanguageDirs(), (std::vector<std::string>{Start(), Path("shipped")}));
}

TEST_F(FileLocationsTest, FolderWithoutLumIniUsesTheXdgFolders) {
  env_.configHome = Path("config");
  env_.stateHome = Path("state");
  FileLocations files = LocateFiles(Start(), env_, "");
  EXPECT_FALSE(files.portable);
  EXPECT_EQ(files.settingsDir, Path("config/lum"));
  EXPECT_EQ(files.logDir, Path("state/lum"));
  EXPECT_EQ(files.LanguageDirs(), (std::vector<std::string>{Path("config/lum"), Start()}));

  // Unset or relative variables fall back to the home folder.
  env_.configHome = "";
  env_.stateHome = "relative/state";
  files = LocateFiles(Start(), env_, "");
  EXPECT_EQ(files.settingsDir, Path("home/.config/lum"));
  EXPECT_EQ(files.logDir, Path("home/.local/state/lum"));
  EXPECT_EQ(files.dataDir, Path("home/.local/share/lum"));

  PrepareFolders(files);
  EXPECT_TRUE(fs::is_directory(files.settingsDir));
  EXPECT_TRUE(fs::is_directory(files.logDir));
  EXPECT_TRUE(fs::is_directory(files.dataDir));
  EXPECT_TRUE(fs::is_empty(Start()));
}

// Backups and records are data, not settings: both programs keep them in one data folder,
// which LUM.INI may move (a relative name lies beside LUM.INI).
TEST_F(FileLocationsTest, DataGoesToTheDataFolderOrWhereLumIniSays) {
  env_.configHome = Path("config");
  env_.dataHome = Path("data");
  EXPECT_EQ(LocateFiles(Start(), env_, "").dataDir, Path("data/lum"));

  fs::create_directories(dir_ / "config/lum");
  Settings(Path("config/lum")).SetDataFolder(Path("elsewhere"));
  EXPECT_EQ(LocateFiles(Start(), env_, "").dataDir, Path("elsewhere"));

  WriteRaw("start/LUM.INI", "[Ports]\r\n[Data]\r\nFolder=records\r\n");
  EXPECT_EQ(LocateFiles(Start(), env_, "").dataDir, Path("start/records"));
  Settings(Start()).SetDataFolder("");
  EXPECT_EQ(LocateFiles(Start(), env_, "").dataDir, Start());
}

// The window speaks the language lumctl finds: in a folder with LUM.INI and no English file,
// an English locale still gets the installed English file, and so does a remembered name
// that only the installed folder holds.
TEST_F(FileLocationsTest, BothProgramsChooseTheSameLanguageFile) {
  env_.lang = "en_GB.UTF-8";
  fs::create_directories(dir_ / "shipped");
  WriteRaw("shipped/LUM_en.lng", "shipped english");
  WriteRaw("shipped/LUM_de.lng", "shipped german");
  WriteRaw("start/LUM.INI", "[Ports]\r\n");
  const FileLocations files = LocateFiles(Start(), env_, Path("shipped"));
  EXPECT_EQ(ChosenLanguageFile(files, env_), "LUM_en.lng");
  AdoptChosenLanguageFile(files, env_);
  EXPECT_EQ(ReadWholeFile(Path("start/LUM_en.lng")), "shipped english");
  EXPECT_FALSE(fs::exists(Path("start/LUM_de.lng")));  // only the file in use is taken

  Settings(Start()).SetLanguageFile("lum_DE.lng");
  EXPECT_EQ(ChosenLanguageFile(files, env_), "lum_DE.lng");
  AdoptChosenLanguageFile(files, env_);
  EXPECT_EQ(ReadWholeFile(Path("start/LUM_de.lng")), "shipped german");

  // A copy in the folder is never replaced, and a name with a folder part copies nothing.
  WriteRaw("start/LUM_de.lng", "edited");
  AdoptChosenLanguageFile(files, env_);
  EXPECT_EQ(ReadWholeFile(Path("start/LUM_de.lng")), "edited");
  fs::remove(Path("start/LUM_en.lng"));
  Settings(Start()).SetLanguageFile("../shipped/LUM_en.lng");
  AdoptChosenLanguageFile(files, env_);
  EXPECT_FALSE(fs::exists(Path("start/LUM_en.lng")));
}

TEST_F(FileLocationsTest, ShippedLanguageFilesAreAdoptedWithoutReplacingTheUsersCopies) {
  env_.configHome = Path("config");
  fs::create_directories(dir_ / "shipped");
  WriteRaw("shipped/LUM_en.lng", "shipped english");
  WriteRaw("shipped/LUM_de.lng", "shipped german");
  WriteRaw("shipped/README", "not a language file");
  const FileLocations files = LocateFiles(Start(), env_, Path("shipped"));
  PrepareFolders(files);
  WriteRaw("config/lum/lum_EN.lng", "edited by the user");

  AdoptShippedLanguageFiles(files);
  EXPECT_EQ(ReadWholeFile(Path("config/lum/LUM_de.lng")), "shipped german");
  EXPECT_EQ(ReadWholeFile(Path("config/lum/lum_EN.lng")), "edited by the user");
  EXPECT_FALSE(fs::exists(Path("config/lum/LUM_en.lng")));
  EXPECT_FALSE(fs::exists(Path("config/lum/README")));
}

TEST_F(FileLocationsTest, LocaleChoosesEnglishOnlyWhenNotChineseAndTheFileIsThere) {
  const std::vector<std::string> dirs{Path("a"), Path("b")};
  fs::create_directories(dir_ / "a");
  fs::create_directories(dir_ / "b");
  env_.lang = "C.UTF-8";
  EXPECT_EQ(LocaleLanguageFile(env_, dirs), "LUM_chs.lng");  // no English file anywhere

  WriteRaw("b/LUM_EN.LNG", "x");
  EXPECT_EQ(LocaleLanguageFile(env_, dirs), "LUM_en.lng");
  EXPECT_EQ(FindLanguageFile(dirs, "LUM_en.lng"), Path("b/LUM_EN.LNG"));
  WriteRaw("a/LUM_en.lng", "x");
  EXPECT_EQ(FindLanguageFile(dirs, "lum_en.lng"), Path("a/LUM_en.lng"));  // first folder wins
  EXPECT_EQ(FindLanguageFile(dirs, "LUM_fr.lng"), std::nullopt);

  env_.lang = "zh_CN.UTF-8";
  EXPECT_EQ(LocaleLanguageFile(env_, dirs), "LUM_chs.lng");
  // LC_ALL before LC_MESSAGES before LANG.
  env_.lcMessages = "en_GB.UTF-8";
  EXPECT_FALSE(PrefersChinese(env_));
  env_.lcAll = "zh_TW.UTF-8";
  EXPECT_TRUE(PrefersChinese(env_));
  env_ = {};
  EXPECT_FALSE(PrefersChinese(env_));
}

}  // namespace
}  // namespace lum
