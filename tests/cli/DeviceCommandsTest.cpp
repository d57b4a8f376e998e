// lumctl ports, scan, write and monitor against simulated controllers on pseudo-terminals.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "cli/Lumctl.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"
#include "link/Frame.h"
#include "sim/Simulator.h"
#include "store/Database.h"
#include "store/Recordings.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

class LumctlDevices : public Lumctl {
 protected:
  sim::Controller& Add(const sim::ControllerSetup& setup) {
    sim::Controller& controller = simulator.AddController(setup);
    simulator.Start();
    return controller;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  sim::Simulator simulator;
};

TEST_F(LumctlDevices, PortsListsOnlyTheMappedPortsThatOpen) {
  sim::Controller& controller = Add(sim::DefaultSetup(0));
  MapPorts({{"COM2", controller.Path()}, {"COM3", Path("missing-tty")}});
  const Outcome listed = Run("ports");
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.out, "COM2\t" + controller.Path() + "\n");
}

// A controller answering 0xFF in every byte is saved as it answered, but writing that file
// back is refused before anything is sent, each value named under the window's labels.
TEST_F(LumctlDevices, AControllerAnsweringFFIsSavedButNeverWrittenBack) {
  sim::ControllerSetup full = sim::DefaultSetup(1);
  std::fill(full.config.bytes().begin(), full.config.bytes().end(), uint8_t{0xFF});
  full.config.SetProductID(sim::DefaultSetup(1).config.ProductID());
  full.config.SetCapFlags(0);
  sim::Controller& controller = Add(full);
  MapPorts({{"COM3", controller.Path()}});
  ASSERT_EQ(Run("scan --save saved").status, 0);

  const size_t asked = controller.RequestLog().size();
  const Outcome written = Run("write saved/COM3.LUM");
  EXPECT_EQ(written.status, 1);
  EXPECT_EQ(controller.RequestLog().size(), asked) << "nothing was sent";
  EXPECT_TRUE(Contains(written.out, "] 第 2 路 工作模式 127 超出范围 0 到 2。")) << written.out;
  EXPECT_TRUE(Contains(written.out, "] 第 1 路 第一段 功率0-100% 255 % 超出范围 0 % 到 100 %。")) << written.out;
  EXPECT_TRUE(Contains(written.out, "] 未写入任何内容：每个值都必须在其范围内。")) << written.out;
  EXPECT_FALSE(Contains(written.out, "Ok")) << written.out;
}

TEST_F(LumctlDevices, ScanReadsAndSavesEachController) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = Add(setup);
  MapPorts({{"COM3", controller.Path()}});

  const Outcome scanned = Run("scan --save saved");

  ASSERT_EQ(scanned.status, 0) << scanned.err;
  const auto lines = Lines(scanned.out);
  ASSERT_GE(lines.size(), 7u);
  EXPECT_TRUE(Contains(lines[0], "] Scan connected device:: Open port @COM3.")) << scanned.out;
  EXPECT_TRUE(Contains(lines[1], "] Connected device is 双路普通型太阳能控制器 @COM3")) << scanned.out;
  EXPECT_EQ(lines[3], "Ok");
  EXPECT_TRUE(Contains(lines[4], "] Backup saved: ")) << scanned.out;
  // What identifies the controller read, after the backup, then the file saved.
  EXPECT_EQ(lines[5], "COM3: model " + setup.model + ", serial number " + FormatSerial(setup.serialNumber) +
                          ", firmware " + FormatFirmware(setup.firmwareVersion, setup.firmwareBuild));
  EXPECT_TRUE(Contains(lines[6], "saved/COM3.LUM")) << scanned.out;

  TCONFIG_BLOCK expected = setup.config;
  expected.SetOTP(0);  // the scan does not read the over-temperature limit
  const ConfigFileResult saved = OpenConfigFile(Path("saved/COM3.LUM"));
  ASSERT_EQ(saved.status, ConfigFileStatus::Ok);
  EXPECT_EQ(saved.block, expected);

  // The automatic backup holds the same configuration, under the controller's serial number.
  const auto backups = ListBackups(dir_.string(), FormatSerial(setup.serialNumber));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(Contains(lines[4], backups[0].path)) << scanned.out;
  EXPECT_EQ(OpenConfigFile(backups[0].path).block, expected);
  // Every read is kept: a second scan adds a backup and replaces none.
  ASSERT_EQ(Run("scan").status, 0);
  EXPECT_EQ(ListBackups(dir_.string(), FormatSerial(setup.serialNumber)).size(), 2u);
}

TEST_F(LumctlDevices, ScanWithoutControllersExits1) {
  test::PtyPair nobody;
  MapPorts({{"COM1", nobody.SlavePath()}});
  const Outcome scanned = Run("scan");
  EXPECT_EQ(scanned.status, 1);
  EXPECT_TRUE(Contains(scanned.out, "Open port @COM1.")) << scanned.out;
  EXPECT_FALSE(Contains(scanned.out, "Connected device"));
  EXPECT_FALSE(std::filesystem::exists(Path("backups")));  // nothing read, nothing kept
}

// Started where no LUM.INI is, lumctl takes the ports from the settings folder and keeps what
// it reads in the data folder, never in the folder it was started in. A configuration read
// that cannot be kept fails the command.
TEST_F(LumctlDevices, WithoutLumIniHereDataGoesToTheDataFolder) {
  const sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = Add(setup);
  std::filesystem::create_directories(Path(".config/lum"));
  WriteRaw(".config/lum/LUM.INI", "[Ports]\r\nCOM1=" + controller.Path() + "\r\n");

  const Outcome scanned = Run("scan --save saved");
  EXPECT_EQ(scanned.status, 0) << scanned.out << scanned.err;
  EXPECT_EQ(ListBackups(Path(".data/lum"), FormatSerial(setup.serialNumber)).size(), 1u) << scanned.out;
  EXPECT_FALSE(std::filesystem::exists(Path("backups")));
  const Outcome listed = Run("backups");
  EXPECT_TRUE(Contains(listed.out, Path(".data/lum/backups/"))) << listed.out;
  const Outcome recordings = Run("recordings");
  EXPECT_EQ(recordings.status, 1);
  EXPECT_TRUE(Contains(recordings.err, Path(".data/lum/commissioning.db") + ": no such database")) << recordings.err;

  std::filesystem::remove_all(Path(".data"));
  WriteRaw(".data", "a file where the data folder should be");
  const Outcome unkept = Run("scan");
  EXPECT_EQ(unkept.status, 1);
  EXPECT_TRUE(Contains(unkept.out, "] Backup failed: ")) << unkept.out;
  const Outcome dryRun = Run("write --dry-run saved/COM1.LUM");
  EXPECT_EQ(dryRun.status, 1);
  EXPECT_TRUE(Contains(dryRun.err, "could not be backed up")) << dryRun.out << dryRun.err;
}

TEST_F(LumctlDevices, ScanSavesOnlyControllersReadCompletely) {
  sim::ControllerSetup stopping = sim::DefaultSetup(1);
  stopping.answerLimit = 12;  // falls silent in the middle of the first channel
  sim::Controller& partial = simulator.AddController(stopping);
  MapPorts({{"COM3", partial.Path()}});
  simulator.Start();

  const Outcome alone = Run("scan --save saved");

  EXPECT_EQ(alone.status, 1);
  EXPECT_TRUE(Contains(alone.err, "No controller was read completely.")) << alone.err;
  const auto lines = Lines(alone.out);
  ASSERT_GE(lines.size(), 5u) << alone.out;
  EXPECT_EQ(lines[3], "Failure");
  EXPECT_TRUE(Contains(lines[4], "] Reading configuration data:: No reply for channel 1 Mode, ")) << lines[4];
  EXPECT_FALSE(std::filesystem::exists(Path("saved/COM3.LUM")));
}

TEST_F(LumctlDevices, ScanWithOneCompleteControllerSavesItAlone) {
  sim::ControllerSetup stopping = sim::DefaultSetup(1);
  stopping.answerLimit = 12;
  sim::Controller& partial = simulator.AddController(stopping);
  sim::Controller& complete = simulator.AddController(sim::DefaultSetup(0));
  MapPorts({{"COM3", partial.Path()}, {"COM4", complete.Path()}});
  simulator.Start();

  const Outcome scanned = Run("scan --save saved");

  EXPECT_EQ(scanned.status, 0) << scanned.err;
  EXPECT_FALSE(std::filesystem::exists(Path("saved/COM3.LUM")));
  EXPECT_TRUE(std::filesystem::exists(Path("saved/COM4.LUM")));
}

// A model text as a controller may send it: GBK and stray bytes (not UTF-8) and an escape
// sequence that would clear the screen.
TEST_F(LumctlDevices, ScanShowsAndSavesAControllerWhoseTextIsNotUtf8WithoutHarm) {
  const std::string model =
      "LS\xff\xfe\x80"
      "bad\x1b[2J";
  sim::ControllerSetup hostile = sim::DefaultSetup(1);
  hostile.model = model;
  sim::Controller& odd = simulator.AddController(hostile);
  sim::Controller& plain = simulator.AddController(sim::DefaultSetup(0));
  MapPorts({{"COM3", odd.Path()}, {"COM4", plain.Path()}});
  simulator.Start();

  const Outcome scripted = Run("scan --json --save saved");
  ASSERT_EQ(scripted.status, 0) << scripted.err;
  const auto lines = Lines(scripted.out);
  ASSERT_EQ(lines.size(), 2u) << scripted.out;
  const auto first = nlohmann::json::parse(lines[0]);
  EXPECT_EQ(first["port"], "COM3");
  EXPECT_EQ(first["model_bytes"], "4C53FFFE806261641B5B324A") << "the bytes, without loss";
  EXPECT_TRUE(Contains(first["model"].get<std::string>(), "bad")) << lines[0];
  EXPECT_TRUE(std::filesystem::exists(Path("saved/COM3.LUM")));
  EXPECT_TRUE(std::filesystem::exists(Path("saved/COM4.LUM")));

  const Outcome shown = Run("scan");
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_FALSE(Contains(shown.out, "\x1b")) << "no escape sequence reaches the terminal";
  EXPECT_TRUE(Contains(shown.out, "bad\\x1B[2J")) << shown.out;
}

TEST_F(LumctlDevices, WriteRefusesASegmentThatCannotTravel) {
  sim::Controller& controller = Add(sim::DefaultSetup(0));
  MapPorts({{"COM1", controller.Path()}});
  TCONFIG_BLOCK block = sim::DefaultSetup(0).config;
  block.Channel(0, 0).Timing(2).SetMinutes(4096);
  SaveConfigFile(Path("long.LUM"), block);

  const Outcome written = Run("write long.LUM");

  EXPECT_EQ(written.status, 1);
  EXPECT_TRUE(Contains(written.out, "] 第 1 路 第三段 时间(分钟) 4096 min 超出范围 0 min 到 1000 min。"))
      << written.out;
  EXPECT_TRUE(controller.RequestLog().empty());
  // The file itself keeps the value: show prints it as it is.
  const Outcome shown = Run("show long.LUM");
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_TRUE(Contains(shown.out, "4096")) << shown.out;
}

TEST_F(LumctlDevices, WriteExitsZeroOnlyWhenVerified) {
  sim::Controller& faithful = Add(sim::DefaultSetup(0));
  MapPorts({{"COM1", faithful.Path()}});
  TCONFIG_BLOCK block = sim::DefaultSetup(0).config;
  block.Channel(0, 0).Timing(2).SetMinutes(123);
  SaveConfigFile(Path("a.LUM"), block);

  const Outcome written = Run("write a.LUM");

  EXPECT_EQ(written.status, 0) << written.err;
  const auto lines = Lines(written.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_TRUE(Contains(lines[0], "] Open file: " + Path("a.LUM"))) << written.out;
  EXPECT_EQ(lines[lines.size() - 2], "Ok");
  EXPECT_EQ(lines.back(), "");  // the end-of-write line
  EXPECT_EQ(faithful.Config().Channel(0, 0).Timing(2).Minutes(), 123);
}

TEST_F(LumctlDevices, WriteReportsFailureAndExits1) {
  sim::ControllerSetup altering = sim::DefaultSetup(0);
  altering.alterations[command::kChannelMode] = sim::Alteration{sim::AlterKind::Keep};
  sim::Controller& controller = Add(altering);
  MapPorts({{"COM1", controller.Path()}});
  TCONFIG_BLOCK block = sim::DefaultSetup(0).config;
  block.Channel(0, 0).SetMode(2);
  SaveConfigFile(Path("a.LUM"), block);

  const Outcome written = Run("write a.LUM");

  EXPECT_EQ(written.status, 1);
  const auto lines = Lines(written.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "Failure");
  // The field as the window's page names it, in the language in use (Chinese by default).
  EXPECT_TRUE(Contains(lines[lines.size() - 2], "第 1 路 工作模式: the entry holds 2, the controller holds 1."))
      << written.out;
}

TEST_F(LumctlDevices, WriteOfADamagedFilePrintsTheLogLineAndSendsNothing) {
  sim::Controller& controller = Add(sim::DefaultSetup(0));
  MapPorts({{"COM1", controller.Path()}});
  const ConfigImage image = BuildConfigImage(sim::DefaultSetup(0).config);
  std::string bytes(image.begin(), image.end());
  bytes[200] = static_cast<char>(bytes[200] ^ 1);
  WriteRaw("bad.LUM", bytes);

  const Outcome written = Run("write bad.LUM");

  EXPECT_EQ(written.status, 2);  // bad input, like every junk file
  EXPECT_TRUE(Contains(written.out, "bad.LUM data verify error.")) << written.out;
  EXPECT_TRUE(controller.RequestLog().empty());
  EXPECT_EQ(Run("write none.LUM").status, 2);
}

TEST_F(LumctlDevices, MonitorPrintsOneCsvRowPerPoll) {
  sim::Controller& controller = Add(sim::DefaultSetup(0));
  MapPorts({{"COM4", controller.Path()}});

  const Outcome monitored = Run("monitor COM4 --count 2 --csv");

  ASSERT_EQ(monitored.status, 0) << monitored.err;
  const auto lines = Lines(monitored.out);
  ASSERT_EQ(lines.size(), 3u) << monitored.out;
  EXPECT_EQ(lines[0],
            "time,power_on_s (s),power_on (h:mm:ss),battery_v (V),solar_v (V),load1_v (V),load1_a (A),"
            "temperature (°C)");
  // ISO 8601 with the UTC offset, the power-on time in seconds and as the clock shows it.
  const std::regex row(
      R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d,\d+,\d+:\d\d:\d\d,\d+\.\d\d,\d+\.\d\d,\d+\.\d{3},)"
      R"(\d+\.\d\d,\d+)");
  EXPECT_TRUE(std::regex_match(lines[1], row)) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], row)) << lines[2];
  EXPECT_EQ(controller.RequestLog().size(), 12u);
}

TEST_F(LumctlDevices, MonitorShowsAPollWithoutAnswerAsMissing) {
  sim::ControllerSetup unplugged = sim::DefaultSetup(0);
  unplugged.answerLimit = 12;  // two polls of six requests, then nothing
  sim::Controller& controller = Add(unplugged);
  MapPorts({{"COM4", controller.Path()}});

  const Outcome monitored = Run("monitor COM4 --count 3 --csv");

  EXPECT_EQ(monitored.status, 0) << monitored.err;
  const auto lines = Lines(monitored.out);
  ASSERT_EQ(lines.size(), 4u) << monitored.out;
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(.+,\d+:\d\d:\d\d,\d+\.\d\d,.*)"))) << lines[2];
  // Nothing answered: the time, then every column empty (the power-on seconds included).
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d,,,,,,,)")))
      << lines[3];
}

TEST_F(LumctlDevices, MonitorRecordsEachAnsweredPollUnderTheSerialNumberRead) {
  constexpr size_t kPollRequests = 6;
  // Reading a controller of this kind takes as many requests as reading its twin here.
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& twin = Add(setup);
  MapPorts({{"COM2", twin.Path()}});
  ASSERT_EQ(Run("scan").status, 0);
  const size_t readRequests = twin.RequestLog().size();
  // Read, two polls answered, then silence: the third poll brings nothing.
  setup.serialNumber = 0x0A000042;
  setup.answerLimit = static_cast<uint32_t>(readRequests + 2 * kPollRequests);
  sim::Controller& controller = Add(setup);
  MapPorts({{"COM2", controller.Path()}});

  const Outcome monitored = Run("monitor COM2 --count 3 --csv --db rec.db");

  ASSERT_EQ(monitored.status, 0) << monitored.err;
  const auto lines = Lines(monitored.out);
  ASSERT_EQ(lines.size(), 4u) << "the read's lines belong on stderr: " << monitored.out;
  EXPECT_TRUE(Contains(monitored.err, "Connected device is")) << monitored.err;

  const auto db = store::OpenDatabase(Path("rec.db"));
  store::Recordings recordings(*db);
  const auto list = recordings.List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].serial, FormatSerial(setup.serialNumber));
  const std::vector<PollSample> polls = recordings.Load(list[0].id);
  ASSERT_EQ(polls.size(), 2u) << "the unanswered poll is not recorded";
  for (size_t i = 0; i < polls.size(); ++i) {
    // The values shown are the values recorded: battery volts in the fourth column.
    std::istringstream row(lines[i + 1]);
    std::string shown;
    for (int column = 0; column < 4; ++column) std::getline(row, shown, ',');
    EXPECT_NEAR(*polls[i].Natural(ValueId::BatteryVoltage), std::stod(shown), 0.005) << lines[i + 1];
    EXPECT_TRUE(polls[i].Natural(ValueId::Temperature).has_value());
  }
  EXPECT_LT(polls[0].timeMs, polls[1].timeMs);

  // lumctl recordings exports them under the serial number.
  const Outcome exported = Run("recordings --db rec.db --serial " + FormatSerial(setup.serialNumber) + " --csv");
  ASSERT_EQ(exported.status, 0) << exported.err;
  const auto rows = Lines(exported.out);
  ASSERT_EQ(rows.size(), 3u) << exported.out;
  EXPECT_TRUE(rows[1].starts_with(FormatSerial(setup.serialNumber) + ",")) << rows[1];
}

TEST_F(LumctlDevices, MonitorRecordsNothingWhenNoPollIsAnswered) {
  sim::ControllerSetup silent = sim::DefaultSetup(0);
  silent.silent = true;
  sim::Controller& controller = Add(silent);
  MapPorts({{"COM4", controller.Path()}});

  const Outcome monitored = Run("monitor COM4 --count 2 --db rec.db");

  EXPECT_EQ(monitored.status, 1);
  EXPECT_TRUE(Contains(monitored.err, "recorded under \"unknown\"")) << monitored.err;
  const auto db = store::OpenDatabase(Path("rec.db"));
  EXPECT_TRUE(store::Recordings(*db).List().empty());
}

TEST_F(LumctlDevices, MonitorExits1WhenNoPollIsAnswered) {
  sim::ControllerSetup silent = sim::DefaultSetup(0);
  silent.silent = true;
  sim::Controller& controller = Add(silent);
  MapPorts({{"COM4", controller.Path()}});

  const Outcome monitored = Run("monitor COM4 --count 1");

  EXPECT_EQ(monitored.status, 1);
  EXPECT_EQ(monitored.out, "Power-on -  Battery -  Solar -  Load 1 -  Load 1 -  Temperature -\n");
  EXPECT_TRUE(Contains(monitored.err, "No poll was answered.")) << monitored.err;
}

TEST_F(LumctlDevices, MonitorLinesForPeopleAndUnknownPorts) {
  sim::Controller& controller = Add(sim::DefaultSetup(0));
  MapPorts({{"COM4", controller.Path()}});

  const Outcome monitored = Run("monitor " + controller.Path() + " --count 1");
  ASSERT_EQ(monitored.status, 0) << monitored.err;
  EXPECT_TRUE(std::regex_match(
      monitored.out,
      std::regex(R"(Power-on \d+:\d\d:\d\d  Battery \d+\.\d\d V  Solar \d+\.\d\d V  Load 1 \d+\.\d{3} V  )"
                 R"(Load 1 \d+\.\d\d A  Temperature \d+\n)")))
      << monitored.out;

  const Outcome unknown = Run("monitor COM9 --count 1");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(Contains(unknown.err, "COM9: no such port")) << unknown.err;
}

// A monitor without end, stopped by `signal` once it has shown `lines` polls; returns the
// lines it showed and how it ended.
struct Stopped {
  std::vector<std::string> lines;
  int status = 0;
};

class LumctlMonitorStop : public LumctlDevices {
 protected:
  Stopped StopAfter(const std::string& args, size_t lines, int signal) {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // exec keeps the shell's process id, so the signal reaches lumctl itself.
    const std::string script = "cd '" + dir_.string() + "' && exec '" LUMCTL_PATH "' monitor " + args;
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script.c_str()), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    Stopped stopped;
    std::string line;
    char c = 0;
    while (stopped.lines.size() < lines && read(out[0], &c, 1) == 1) {
      if (c != '\n') {
        line += c;
        continue;
      }
      stopped.lines.push_back(line);
      line.clear();
    }
    kill(pid, signal);
    // What it shows after the signal: the poll under way when it came.
    while (read(out[0], &c, 1) == 1) {
      if (c != '\n') {
        line += c;
        continue;
      }
      stopped.lines.push_back(line);
      line.clear();
    }
    int raw = 0;
    EXPECT_EQ(waitpid(pid, &raw, 0), pid);
    close(out[0]);
    stopped.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return stopped;
  }
};

TEST_F(LumctlMonitorStop, CtrlCEndsTheEndlessMonitor) {
  sim::Controller& controller = Add(sim::DefaultSetup(0));
  MapPorts({{"COM1", controller.Path()}});

  const Stopped stopped = StopAfter("COM1", 1, SIGINT);

  EXPECT_EQ(stopped.status, 0) << "ended by a signal instead of stopping";
  EXPECT_GE(stopped.lines.size(), 1u);
}

// A service manager stops the recording with SIGTERM: every poll shown is recorded and the
// run ends as a success, so that the stop is not taken for a failure to restart after.
TEST_F(LumctlMonitorStop, SigtermEndsTheRecordingKeepingEveryPollShown) {
  sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = Add(setup);
  MapPorts({{"COM2", controller.Path()}});

  const Stopped stopped = StopAfter("COM2 --csv --db rec.db", 3, SIGTERM);

  EXPECT_EQ(stopped.status, 0) << "ended by the signal instead of stopping";
  ASSERT_GE(stopped.lines.size(), 3u);
  const auto db = store::OpenDatabase(Path("rec.db"));
  store::Recordings recordings(*db);
  const auto list = recordings.List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].serial, FormatSerial(setup.serialNumber));
  EXPECT_EQ(recordings.Load(list[0].id).size(), stopped.lines.size() - 1) << "one poll per row after the header";
}

// A unit records the port given by its stable name: the link leads to the port that the
// mapping names, so the polls are recorded under the serial number read there.
TEST_F(LumctlDevices, MonitorRecordsAPortGivenByALinkToAMappedDevice) {
  sim::ControllerSetup setup = sim::DefaultSetup(0);
  sim::Controller& controller = Add(setup);
  MapPorts({{"COM5", controller.Path()}});
  std::filesystem::create_symlink(controller.Path(), Path("by-id-link"));

  const Outcome monitored = Run("monitor " + Path("by-id-link") + " --count 1 --db rec.db");

  ASSERT_EQ(monitored.status, 0) << monitored.err;
  const auto db = store::OpenDatabase(Path("rec.db"));
  const auto list = store::Recordings(*db).List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].serial, FormatSerial(setup.serialNumber));
}

}  // namespace
}  // namespace lum
