// The lum-sim program as a user starts it.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PtyClient.h"
#include "data/TempDir.h"
#include "data/TypeTables.h"

extern char** environ;

namespace lum::sim::test {
namespace {

// lum-sim running in the background with its stdout and stderr read through pipes.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> all = {LUM_SIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, LUM_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  bool Started() const { return pid_ > 0; }

  // The next line of stdout, without its newline; empty when none came in time.
  std::string ReadLine() {
    while (buffered_.find('\n') == std::string::npos) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(PtyClient::kPatience.count())) <= 0) return {};
      char chunk[256];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffered_.append(chunk, static_cast<size_t>(n));
    }
    const size_t end = buffered_.find('\n');
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
  }

  std::string ReadAllErrors() {
    std::string text;
    char chunk[256];
    ssize_t n;
    while ((n = read(err_, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
    return text;
  }

  // Sends the signal (none: just waits) and returns the wait status.
  int Finish(int signal) {
    if (signal != 0) kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string buffered_;
};

std::string FirstWord(const std::string& line) { return line.substr(0, line.find(' ')); }

TEST(LumSimProgram, DefaultControllerAnswersUntilTerminated) {
  SimProcess sim({});
  ASSERT_TRUE(sim.Started());
  const std::string line = sim.ReadLine();
  ASSERT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
  EXPECT_NE(line.find("row=1"), std::string::npos) << line;

  PtyClient client(FirstWord(line));
  ASSERT_TRUE(client.IsOpen());
  client.Send(Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x51});
  const std::optional<ShortReply> reply = DecodeShortReply(client.ReadUntil(frame::kSize));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 0x81);
  EXPECT_EQ((static_cast<uint32_t>(reply->byteArg) << 16) | reply->word, DeviceTypes()[1].ProductCode);

  const int status = sim.Finish(SIGTERM);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(LumSimProgram, PortsIniNamesTheControllersInOrder) {
  const ScratchDir dir;
  const std::string ini = dir.Path("LUM.INI");
  SimProcess sim({"--controller", "row=0,fromtry=1", "--controller", "row=3,split", "--ports-ini", ini});
  ASSERT_TRUE(sim.Started());
  const std::string first = sim.ReadLine();
  const std::string second = sim.ReadLine();
  EXPECT_NE(first.find("row=0"), std::string::npos) << first;
  EXPECT_NE(second.find("row=3"), std::string::npos) << second;

  std::ifstream in(ini);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "[Ports]\nCOM1=" + FirstWord(first) + "\nCOM2=" + FirstWord(second) + "\n");

  // The per-controller options took effect: the second answers in two parts, which still
  // make one frame.
  PtyClient client(FirstWord(second));
  client.Send(IdentifyRequest(0));
  const std::optional<ShortReply> reply = DecodeShortReply(client.ReadUntil(frame::kSize));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->word, DeviceTypes()[3].ProductCode & 0xFFFF);

  const int status = sim.Finish(SIGINT);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(LumSimProgram, BadControllerTextIsReportedAndNothingRuns) {
  SimProcess sim({"--controller", "row=1,colour=red"});
  ASSERT_TRUE(sim.Started());
  const int status = sim.Finish(0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_EQ(sim.ReadAllErrors(), "lum-sim: unknown key 'colour'\n");
  EXPECT_EQ(sim.ReadLine(), "");
}

}  // namespace
}  // namespace lum::sim::test
