// The Debian package as a new user meets it: built with cpack, unpacked into a scratch root,
// its programs run from there in an empty home and start folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "VersionInfo.h"
#include "base/AtomicFile.h"
#include "data/ConfigFile.h"
#include "data/NewFileBlock.h"
#include "data/TempDir.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<fs::path> Entries(const fs::path& dir) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) entries.push_back(entry.path());
  return entries;
}

class PackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_dir_ = std::make_unique<ScratchDir>();
    scratch_ = scratch_dir_->path();
    const std::string command = "cd '" LUM_BINARY_DIR "' && cpack -G DEB -B '" + (scratch_ / "out").string() + "' >'" +
                                (scratch_ / "cpack.log").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << Slurp(scratch_ / "cpack.log");
    for (const auto& entry : fs::directory_iterator(scratch_ / "out"))
      if (entry.path().extension() == ".deb") package_ = entry.path();
    ASSERT_FALSE(package_.empty()) << Slurp(scratch_ / "cpack.log");
    const std::string unpack = "dpkg -x '" + package_.string() + "' '" + Root().string() + "'";
    ASSERT_EQ(std::system(unpack.c_str()), 0);
  }
  static void TearDownTestSuite() { scratch_dir_.reset(); }

  void SetUp() override {
    ASSERT_FALSE(package_.empty());
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    home_ = scratch_ / ("home-" + name);
    start_ = scratch_ / ("start-" + name);
    fs::create_directories(home_);
    fs::create_directories(start_);
  }

  static fs::path Root() { return scratch_ / "root"; }
  static fs::path Installed(const std::string& program) { return Root() / "usr/bin" / program; }

  // A clean environment: the scratch home, the given locale, nothing inherited.
  std::vector<std::string> Environment(const std::string& locale) const {
    return {"HOME=" + home_.string(), "PATH=/usr/bin:/bin", "LANG=" + locale, "QT_QPA_PLATFORM=offscreen"};
  }

  // Starts a program in the start folder; returns its process id.
  pid_t Start(const std::string& program, const std::vector<std::string>& args, const std::string& locale) const {
    std::vector<std::string> env = Environment(locale);
    const fs::path out = start_.parent_path() / (start_.filename().string() + ".out");
    const fs::path err = start_.parent_path() / (start_.filename().string() + ".err");
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(start_.c_str()) != 0) _exit(127);
      if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(127);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      std::vector<char*> envp;
      for (auto& item : env) envp.push_back(item.data());
      envp.push_back(nullptr);
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    return pid;
  }

  Finished Wait(pid_t pid) const {
    int raw = 0;
    waitpid(pid, &raw, 0);
    Finished run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(start_.parent_path() / (start_.filename().string() + ".out"));
    run.err = Slurp(start_.parent_path() / (start_.filename().string() + ".err"));
    return run;
  }

  Finished Program(const std::string& name, const std::vector<std::string>& args,
                   const std::string& locale = "C.UTF-8") {
    return Wait(Start(Installed(name).string(), args, locale));
  }

  static inline std::unique_ptr<ScratchDir> scratch_dir_;
  static inline fs::path scratch_;
  static inline fs::path package_;
  fs::path home_;
  fs::path start_;
};

TEST_F(PackageTest, HoldsTheProgramsTheirDataMenuEntryIconAndManualPages) {
  for (const char* path : {"usr/bin/lum", "usr/bin/lumctl", "usr/bin/lum-sim", "usr/share/lum/lang/LUM_en.lng",
                           "usr/share/applications/lum.desktop", "usr/share/icons/hicolor/scalable/apps/lum.svg",
                           "usr/share/man/man1/lum.1", "usr/share/man/man1/lumctl.1", "usr/share/man/man1/lum-sim.1"})
    EXPECT_TRUE(fs::is_regular_file(Root() / path)) << path;
  // Nothing lands beside the programs but the programs.
  for (const auto& entry : fs::directory_iterator(Root() / "usr/bin"))
    EXPECT_TRUE(access(entry.path().c_str(), X_OK) == 0) << entry.path();

  const std::string desktop = Slurp(Root() / "usr/share/applications/lum.desktop");
  EXPECT_TRUE(Contains(desktop, "\nExec=lum")) << desktop;
  EXPECT_TRUE(Contains(desktop, "\nIcon=lum\n")) << desktop;

  // The dependencies come from the binaries: the C++ runtime and Qt are named.
  const std::string command =
      "dpkg-deb -f '" + package_.string() + "' Depends >'" + (scratch_ / "depends").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string depends = Slurp(scratch_ / "depends");
  for (const char* library : {"libc6", "libstdc++6", "libqt6widgets6", "libqt6svg6"})
    EXPECT_TRUE(Contains(depends, library)) << depends;
}

TEST_F(PackageTest, EveryInstalledProgramAnswersVersion) {
  for (const char* program : {"lum", "lumctl", "lum-sim"}) {
    const Finished run = Program(program, {"--version"});
    EXPECT_EQ(run.status, 0) << program << run.err;
    EXPECT_EQ(run.out, std::string(program) + " " + version::kFileVersion + "\n");
  }
}

TEST_F(PackageTest, InstalledLumctlSpeaksTheLocaleWithTheShippedFile) {
  TCONFIG_BLOCK block = NewFileStartBlock();
  block.SetProductID(0x515620);  // dual-output standard controller
  SaveConfigFile((start_ / "in.LUM").string(), block);

  const Finished english = Program("lumctl", {"show", "in.LUM"});
  EXPECT_EQ(english.status, 0) << english.err;
  EXPECT_TRUE(Contains(english.out, "Dual-output solar controller")) << english.out;
  const Finished chinese = Program("lumctl", {"show", "in.LUM"}, "zh_CN.UTF-8");
  EXPECT_TRUE(Contains(chinese.out, "双路普通型太阳能控制器")) << chinese.out;

  const Finished json = Program("lumctl", {"show", "--json", "in.LUM"});
  ASSERT_EQ(json.status, 0) << json.err;
  WriteFileAtomically((start_ / "in.json").string(), json.out);
  const Finished pack = Program("lumctl", {"pack", "in.json", "out.LUM"});
  EXPECT_EQ(pack.status, 0) << pack.err;
  EXPECT_TRUE(Contains(pack.out, "out.LUM saved.")) << pack.out;
  EXPECT_EQ(Slurp(start_ / "out.LUM"), Slurp(start_ / "in.LUM"));

  // lumctl only reads: no settings folder, nothing new in the start folder.
  EXPECT_FALSE(fs::exists(home_ / ".config"));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(start_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"in.LUM", "in.json", "out.LUM"}));
}

// Started from the menu in an empty folder: settings, language and log go to the XDG folders,
// the English file comes from the install, and the start folder stays empty.
TEST_F(PackageTest, InstalledLumKeepsItsFilesInTheXdgFoldersAndFindsTheEnglishFile) {
  const pid_t lum = Start(Installed("lum").string(), {}, "C.UTF-8");
  const fs::path settings = home_ / ".config/lum";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(settings / "LUM_en.lng") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(lum, SIGTERM);  // closes the window as the user would: the log is written
  const Finished run = Wait(lum);
  EXPECT_EQ(run.status, 0) << run.err;

  EXPECT_TRUE(Entries(start_).empty());
  EXPECT_TRUE(fs::is_regular_file(settings / "LUM_en.lng"));
  // The built-in language stays offered beside the English file, in the settings folder too.
  EXPECT_TRUE(fs::is_regular_file(settings / "LUM_chs.lng"));
  EXPECT_FALSE(fs::exists(settings / "LUM.INI"));
  const std::string log = Slurp(home_ / ".local/state/lum/LUM.LOG");
  EXPECT_TRUE(Contains(log, "Lum Started at")) << log;
}

}  // namespace
}  // namespace lum
