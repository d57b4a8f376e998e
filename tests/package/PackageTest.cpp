// The Debian packages as a packager and a new user meet them: lumctl (the terminal programs)
// and lum (the window), built with cpack from this tree, checked by lintian and the desktop's
// validators, unpacked into a scratch root, their programs run from there in an empty home
// and start folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
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

// A command's status and what it wrote to stdout and stderr, together.
Finished Shell(const std::string& command) {
  Finished run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string Field(const fs::path& package, const std::string& field) {
  std::string value = Shell("dpkg-deb -f " + Quoted(package) + " " + field).out;
  while (!value.empty() && value.back() == '\n') value.pop_back();
  return value;
}

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
    for (const auto& entry : fs::directory_iterator(scratch_ / "out")) {
      if (entry.path().extension() != ".deb") continue;
      const std::string name = entry.path().filename().string();
      (name.starts_with("lumctl_") ? lumctl_ : lum_) = entry.path();
    }
    ASSERT_FALSE(lumctl_.empty()) << Slurp(scratch_ / "cpack.log");
    ASSERT_FALSE(lum_.empty()) << Slurp(scratch_ / "cpack.log");
    for (const fs::path& package : {lumctl_, lum_}) {
      const std::string unpack = "dpkg -x " + Quoted(package) + " " + Quoted(Root());
      ASSERT_EQ(std::system(unpack.c_str()), 0);
    }
  }
  static void TearDownTestSuite() { scratch_dir_.reset(); }

  void SetUp() override {
    ASSERT_FALSE(lum_.empty());
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
  static inline fs::path lumctl_;
  static inline fs::path lum_;
  fs::path home_;
  fs::path start_;
};

TEST_F(PackageTest, HoldsTheProgramsTheirDataMenuEntryIconAndManualPages) {
  for (const char* path :
       {"usr/bin/lum", "usr/bin/lumctl", "usr/bin/lum-sim", "usr/share/lum/lang/LUM_en.lng",
        "usr/share/applications/lum.desktop", "usr/share/icons/hicolor/scalable/apps/lum.svg",
        "usr/share/man/man1/lum.1.gz", "usr/share/man/man1/lumctl.1.gz", "usr/share/man/man1/lum-sim.1.gz",
        "usr/bin/lum-gateway", "usr/share/man/man1/lum-gateway.1.gz", "etc/lum/gateway.ini",
        "usr/share/bash-completion/completions/lumctl", "usr/share/doc/lumctl/copyright",
        "usr/share/doc/lumctl/changelog.gz", "usr/share/doc/lum/copyright", "usr/share/doc/lum/changelog.gz"})
    EXPECT_TRUE(fs::is_regular_file(Root() / path)) << path;
  // Nothing lands beside the programs but the programs.
  for (const auto& entry : fs::directory_iterator(Root() / "usr/bin"))
    EXPECT_TRUE(access(entry.path().c_str(), X_OK) == 0) << entry.path();

  const std::string desktop = Slurp(Root() / "usr/share/applications/lum.desktop");
  EXPECT_TRUE(Contains(desktop, "\nExec=lum")) << desktop;
  EXPECT_TRUE(Contains(desktop, "\nIcon=lum\n")) << desktop;
  const Finished valid = Shell("desktop-file-validate " + Quoted(Root() / "usr/share/applications/lum.desktop"));
  EXPECT_EQ(valid.status, 0) << valid.out;
  EXPECT_EQ(valid.out, "");

  // The dependencies come from the binaries: the C++ runtime and Qt are named.
  const std::string depends = Field(lum_, "Depends");
  for (const char* library : {"libc6", "libstdc++6", "libqt6widgets6", "libqt6svg6"})
    EXPECT_TRUE(Contains(depends, library)) << depends;
  const std::string recommends = Field(lum_, "Recommends");
  for (const char* package : {"qt6-translations-l10n", "fonts-wqy-microhei"})
    EXPECT_TRUE(Contains(recommends, package)) << recommends;
}

// apt sees a newer build as an upgrade: each package's version is what the programs print,
// and the window goes with the lumctl of its own build.
TEST_F(PackageTest, BothPackagesHaveTheVersionTheProgramsPrint) {
  EXPECT_EQ(Field(lumctl_, "Version"), version::kFileVersion);
  EXPECT_EQ(Field(lum_, "Version"), version::kFileVersion);
  EXPECT_TRUE(Contains(Field(lum_, "Depends"), std::string("lumctl (= ") + version::kFileVersion + ")"))
      << Field(lum_, "Depends");
  const std::string changelog = Shell("zcat " + Quoted(Root() / "usr/share/doc/lumctl/changelog.gz")).out;
  EXPECT_TRUE(changelog.starts_with(std::string("lum (") + version::kFileVersion + ") ")) << changelog;
}

// A headless bench PC installs lumctl without Qt or X.
TEST_F(PackageTest, LumctlPullsNoQtAndNoX) {
  const std::string depends = Field(lumctl_, "Depends");
  EXPECT_FALSE(Contains(depends, "qt")) << depends;
  EXPECT_FALSE(Contains(depends, "libx")) << depends;
  EXPECT_TRUE(Contains(depends, "libc6")) << depends;
  for (const char* program : {"lumctl", "lum-sim", "lum-gateway"}) {
    const Finished libraries = Shell("ldd " + Quoted(Installed(program)));
    ASSERT_EQ(libraries.status, 0) << libraries.out;
    EXPECT_TRUE(Contains(libraries.out, "libc.so")) << libraries.out;
    EXPECT_FALSE(Contains(libraries.out, "libQt")) << program << libraries.out;
    EXPECT_FALSE(Contains(libraries.out, "libX")) << program << libraries.out;
  }
  // The programs and the window each in their own package.
  const std::string lumctlFiles = Shell("dpkg-deb -c " + Quoted(lumctl_)).out;
  EXPECT_FALSE(Contains(lumctlFiles, "./usr/bin/lum\n")) << lumctlFiles;
  const std::string lumFiles = Shell("dpkg-deb -c " + Quoted(lum_)).out;
  EXPECT_FALSE(Contains(lumFiles, "./usr/bin/lumctl")) << lumFiles;
}

// What an archive's checks say. Warnings are reviewed by hand; an error is a fault here.
TEST_F(PackageTest, LintianFindsNoError) {
  const Finished lintian = Shell("lintian --pedantic --tag-display-limit 0 " + Quoted(lumctl_) + " " + Quoted(lum_));
  std::istringstream lines(lintian.out);
  for (std::string line; std::getline(lines, line);) EXPECT_FALSE(line.starts_with("E:")) << line;
  // Lintian's status is 0 without errors, 1 with, 2 when it could not run at all.
  EXPECT_EQ(lintian.status, 0) << lintian.out;
  std::cout << lintian.out;
}

// The unit records the controller named by its instance, as systemd reads it.
TEST_F(PackageTest, RecordingServiceTemplateVerifies) {
  const fs::path unit = Root() / "usr/lib/systemd/system/lum-monitor@.service";
  ASSERT_TRUE(fs::is_regular_file(unit));
  const std::string text = Slurp(unit);
  EXPECT_TRUE(Contains(text, "\nExecStart=/usr/bin/lumctl monitor ")) << text;
  EXPECT_TRUE(Contains(text, "--db ")) << text;
  EXPECT_TRUE(Contains(text, "/dev/%I")) << text;
  EXPECT_TRUE(Contains(text, "\nRestart=on-failure\n")) << text;
  // An instance beside the template, as systemd finds it, starting the program of the scratch
  // root (systemd-analyze --root would look for the whole system's units there too).
  const fs::path units = scratch_ / "units";
  fs::create_directories(units);
  std::string local = text;
  const std::string program = "/usr/bin/lumctl";
  local.replace(local.find(program), program.size(), Installed("lumctl").string());
  WriteFileAtomically((units / unit.filename()).string(), local);
  const Finished verify = Shell("systemd-analyze verify --man=no " + Quoted(units / "lum-monitor@ttyUSB0.service"));
  EXPECT_EQ(verify.status, 0) << verify.out;
  EXPECT_EQ(verify.out, "");
}

// The gateway's unit as systemd reads it, its settings a conffile only root reads (the
// unit hands them over as a credential).
TEST_F(PackageTest, GatewayServiceVerifiesAndItsSettingsAreAConffile) {
  const fs::path unit = Root() / "usr/lib/systemd/system/lum-gateway.service";
  ASSERT_TRUE(fs::is_regular_file(unit));
  const std::string text = Slurp(unit);
  EXPECT_TRUE(Contains(text, "\nLoadCredential=gateway.ini:/etc/lum/gateway.ini\n")) << text;
  EXPECT_TRUE(Contains(text, "\nExecStart=/usr/bin/lum-gateway --config ${CREDENTIALS_DIRECTORY}/gateway.ini\n"))
      << text;
  const fs::path units = scratch_ / "gateway-units";
  fs::create_directories(units);
  std::string local = text;
  const std::string program = "/usr/bin/lum-gateway";
  local.replace(local.find(program), program.size(), Installed("lum-gateway").string());
  WriteFileAtomically((units / unit.filename()).string(), local);
  const Finished verify = Shell("systemd-analyze verify --man=no " + Quoted(units / unit.filename()));
  EXPECT_EQ(verify.status, 0) << verify.out;
  EXPECT_EQ(verify.out, "");
  EXPECT_EQ(Shell("dpkg-deb -I " + Quoted(lumctl_) + " conffiles").out, "/etc/lum/gateway.ini\n");
  const auto perms = fs::status(Root() / "etc/lum/gateway.ini").permissions();
  EXPECT_EQ(perms & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
}

// The software centre's entry, the file type of .LUM files, and the window opening them.
TEST_F(PackageTest, MetainfoValidatesAndLumFilesHaveTheirType) {
  const fs::path metainfo = Root() / "usr/share/metainfo/example.lumaris.lum.metainfo.xml";
  const Finished valid = Shell("appstreamcli validate --no-net --pedantic " + Quoted(metainfo));
  EXPECT_EQ(valid.status, 0) << valid.out;
  EXPECT_TRUE(Contains(Slurp(metainfo), std::string("<release version=\"") + version::kFileVersion + "\""));

  const fs::path mime = scratch_ / "mime";
  fs::create_directories(mime / "packages");
  fs::copy_file(Root() / "usr/share/mime/packages/lum.xml", mime / "packages/lum.xml");
  const Finished database = Shell("update-mime-database " + Quoted(mime));
  ASSERT_EQ(database.status, 0) << database.out;
  EXPECT_TRUE(Contains(Slurp(mime / "globs2"), ":application/x-lum-configuration:*.lum")) << Slurp(mime / "globs2");
  const std::string desktop = Slurp(Root() / "usr/share/applications/lum.desktop");
  EXPECT_TRUE(Contains(desktop, "\nMimeType=application/x-lum-configuration;\n")) << desktop;
  EXPECT_TRUE(Contains(desktop, "\nExec=lum %f\n")) << desktop;
}

// The manuals name every command and what a packager or user looks up in them.
TEST_F(PackageTest, ManualsCoverEveryCommandAndTheService) {
  const std::string lumctl = Shell("zcat " + Quoted(Root() / "usr/share/man/man1/lumctl.1.gz")).out;
  for (const char* part : {"diff", "backups", "prune", "job check", "provision", "dry\\-run", "postgresql://",
                           "lum\\-monitor@", "SIGTERM", "\\-\\-json"})
    EXPECT_TRUE(Contains(lumctl, part)) << part;
  const std::string lum = Shell("zcat " + Quoted(Root() / "usr/share/man/man1/lum.1.gz")).out;
  EXPECT_TRUE(Contains(lum, "FILE.LUM")) << lum;
  const Finished checked = Shell("{ LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l " +
                                 Quoted(Root() / "usr/share/man/man1/lumctl.1.gz") + " 2>&1 >/dev/null; }");
  EXPECT_EQ(checked.out, "") << "groff's warnings";
}

// Tab completes commands, the commands of commands and options, from the installed lumctl.
TEST_F(PackageTest, BashCompletesLumctlsCommandsAndOptions) {
  const auto complete = [](const std::string& line) {
    const fs::path script = scratch_ / "complete.sh";
    WriteFileAtomically(script.string(),
                        "source /usr/share/bash-completion/bash_completion\n"
                        "source " +
                            Quoted(Root() / "usr/share/bash-completion/completions/lumctl") + "\n" + "COMP_LINE='" +
                            line + "'\n" +
                            "COMP_POINT=${#COMP_LINE}\n"
                            "read -ra COMP_WORDS <<<\"$COMP_LINE\"\n"
                            "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                            "_lumctl\n"
                            "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
    return Shell("PATH=" + Quoted(Root() / "usr/bin") + ":/usr/bin:/bin bash " + Quoted(script)).out;
  };
  EXPECT_EQ(complete("lumctl bac"), "backups\n");
  EXPECT_EQ(complete("lumctl backups pr"), "prune\n");
  EXPECT_EQ(complete("lumctl job ch"), "check\n");
  const std::string options = complete("lumctl monitor --c");
  EXPECT_TRUE(Contains(options, "--count\n")) << options;
  EXPECT_TRUE(Contains(options, "--csv\n")) << options;
}

TEST_F(PackageTest, EveryInstalledProgramAnswersVersion) {
  for (const char* program : {"lum", "lumctl", "lum-sim", "lum-gateway"}) {
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
