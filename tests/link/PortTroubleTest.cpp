// A port held by another program, and the reasons given for ports that do not open.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "data/TempDir.h"
#include "link/PortNames.h"
#include "link/PortTrouble.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

constexpr unsigned kBaud = 38400;

// Another program's hold on a terminal: an open descriptor with the exclusive flag set.
class ExclusiveHolder {
 public:
  explicit ExclusiveHolder(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (fd_ >= 0) ::ioctl(fd_, TIOCEXCL);
  }
  ~ExclusiveHolder() {
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  bool Holds() const { return fd_ >= 0; }
  bool StillExclusive() const {
    int flag = 0;
    return ::ioctl(fd_, TIOCGEXCL, &flag) == 0 && flag != 0;
  }

 private:
  int fd_;
};

// Root passes TIOCEXCL; the flag read after opening tells that the port is held. Run as
// another user the open itself is refused with EBUSY: the same outcome.
TEST(HeldPort, IsRefusedAsBusyAndItsHoldersFlagStays) {
  test::PtyPair pty;
  ExclusiveHolder holder(pty.SlavePath());
  ASSERT_TRUE(holder.Holds());

  int failure = 0;
  EXPECT_EQ(OpenPort(pty.SlavePath(), kBaud, nullptr, &failure), nullptr);
  EXPECT_EQ(failure, EBUSY);
  EXPECT_EQ(ProbePort(pty.SlavePath()), EBUSY);
  PortMap map = PortMap::FromSection({{"COM1", pty.SlavePath()}});
  EXPECT_TRUE(map.ListComPorts().empty());
  ASSERT_EQ(map.ProbeComPorts().size(), 1u);
  EXPECT_EQ(map.ProbeComPorts()[0].error, EBUSY);
  EXPECT_TRUE(holder.StillExclusive()) << "the other program's exclusive flag was cleared";
}

TEST(HeldPort, OurOwnFlagIsClearedOnCloseSoThePortOpensAgain) {
  test::PtyPair pty;
  {
    auto port = OpenPort(pty.SlavePath(), kBaud);
    ASSERT_NE(port, nullptr);
  }
  int failure = 0;
  EXPECT_NE(OpenPort(pty.SlavePath(), kBaud, nullptr, &failure), nullptr);
  EXPECT_EQ(failure, 0);
}

TEST(PortOpenFailure, KeepsTheReason) {
  int failure = 0;
  EXPECT_EQ(OpenPort("/nonexistent/ttyUSB9", kBaud, nullptr, &failure), nullptr);
  EXPECT_EQ(failure, ENOENT);
  EXPECT_EQ(ProbePort("/nonexistent/ttyUSB9"), ENOENT);
  failure = 0;
  EXPECT_EQ(PortMap::FromSection({}).Open(3, kBaud, nullptr, &failure), nullptr);
  EXPECT_EQ(failure, ENOENT);
}

TEST(PortOpenReason, SaysWhyAndWhatToDo) {
  test::PtyPair pty;
  EXPECT_EQ(PortOpenReason(pty.SlavePath(), EBUSY), "in use by another program");  // held by this process
  EXPECT_NE(PortOpenReason("/nonexistent/ttyUSB9", ENOENT).find("no such device"), std::string::npos);
  EXPECT_EQ(PortOpenFailureLine("COM2", "/dev/ttyUSB1", EIO, "2026-01-02 03:04:05.006"),
            "[2026-01-02 03:04:05.006] Cannot open COM2 (/dev/ttyUSB1): Input/output error");
}

// The advice for a refused open follows who may open the device: join its group (the command
// quoted whole), log in again when already in it, or ask the administrator; never join root.
TEST(PermissionDenied, AdviceFollowsWhoMayOpenTheDevice) {
  const std::string path = "/dev/ttyUSB0";
  PortAccess access{"dialout", false, true, false};
  EXPECT_EQ(PermissionDeniedReason(path, access),
            "permission denied: you are not in the group dialout that may open /dev/ttyUSB0; add yourself to it "
            "with \"sudo usermod -aG dialout $USER\", then log in again");
  access.userInGroup = true;
  const std::string relogin = PermissionDeniedReason(path, access);
  EXPECT_NE(relogin.find("log in again"), std::string::npos) << relogin;
  EXPECT_EQ(relogin.find("usermod"), std::string::npos) << relogin;

  for (const PortAccess& closed : {PortAccess{"root", true, true, false}, PortAccess{"uucp", false, false, false}}) {
    const std::string reason = PermissionDeniedReason(path, closed);
    EXPECT_EQ(reason.find("usermod"), std::string::npos) << reason;
    EXPECT_NE(reason.find("administrator"), std::string::npos) << reason;
  }
  EXPECT_EQ(PermissionDeniedReason(path, std::nullopt).find("usermod"), std::string::npos);
}

// Looked up from real files: a device of the group dialout that the group may use, and one
// only root may open (its group root, as the built-in ports of many systems are).
class PortAccessTest : public TempDir {};

TEST_F(PortAccessTest, GroupAndPermissionsComeFromTheDevice) {
  const group* dialout = getgrnam("dialout");
  if (dialout == nullptr || geteuid() != 0) GTEST_SKIP() << "needs the group dialout and root to give files to it";
  WriteRaw("ttyUSB0", "");
  ASSERT_EQ(chown(Path("ttyUSB0").c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(Path("ttyUSB0").c_str(), 0660), 0);
  const std::string denied = PortOpenReason(Path("ttyUSB0"), EACCES);
  EXPECT_NE(denied.find("the group dialout that may open " + Path("ttyUSB0")), std::string::npos) << denied;
  EXPECT_NE(denied.find("\"sudo usermod -aG dialout $USER\", then log in again"), std::string::npos) << denied;

  WriteRaw("ttyS0", "");
  ASSERT_EQ(chown(Path("ttyS0").c_str(), 0, 0), 0);
  ASSERT_EQ(chmod(Path("ttyS0").c_str(), 0660), 0);
  const std::string rootOnly = PortOpenReason(Path("ttyS0"), EACCES);
  EXPECT_NE(rootOnly.find("only root may open " + Path("ttyS0")), std::string::npos) << rootOnly;
  EXPECT_EQ(rootOnly.find("usermod"), std::string::npos) << rootOnly;
}

// A built-in port the user may not open is still a port: the system's published port type
// tells whether a UART is behind it. Checked as nobody, in a child process.
TEST_F(PortAccessTest, BuiltInPortRefusedForPermissionCountsWhenAUartIsBehindIt) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                                         std::filesystem::perms::others_exec);
  std::filesystem::create_directories(dir_ / "dev");
  for (const char* name : {"ttyS0", "ttyS1"}) {
    WriteRaw(std::string("dev/") + name, "");
    ASSERT_EQ(chmod(Path(std::string("dev/") + name).c_str(), 0660), 0);  // root's, group root
  }
  for (const auto& [name, type] : {std::pair{"ttyS0", "4\n"}, std::pair{"ttyS1", "0\n"}, std::pair{"ttyS2", "4\n"}}) {
    std::filesystem::create_directories(dir_ / "class" / name);
    WriteRaw(std::string("class/") + name + "/type", type);
  }
  for (const char* folder : {"dev", "class", "class/ttyS0", "class/ttyS1", "class/ttyS2"})
    std::filesystem::permissions(dir_ / folder,
                                 std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const std::string dev = Path("dev");
    const std::string classes = Path("class");
    const bool right = IsBuiltInPortPresent("ttyS0", dev, classes) && !IsBuiltInPortPresent("ttyS1", dev, classes) &&
                       !IsBuiltInPortPresent("ttyS2", dev, classes);  // no device node: absent
    _exit(right ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not become nobody";
}

TEST(PortHolder, NamesAnotherProcessThatHoldsTheDevice) {
  test::PtyPair pty;
  ExclusiveHolder holder(pty.SlavePath());
  EXPECT_EQ(PortHolder(pty.SlavePath()), std::nullopt) << "the asking process is never named";
  const pid_t child = fork();
  if (child == 0) {
    // The child inherits the descriptor; it names its parent, the test, as the holder.
    const auto named = PortHolder(pty.SlavePath());
    const std::string expected = ", pid " + std::to_string(getppid());
    _exit(named && named->find(expected) != std::string::npos ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class StableNamesTest : public TempDir {};

TEST_F(StableNamesTest, LinksThatLeadToTheDevice) {
  test::PtyPair pty;
  test::PtyPair other;
  std::filesystem::create_symlink(pty.SlavePath(), dir_ / "usb-Vendor_Adapter_A1-if00-port0");
  std::filesystem::create_symlink(other.SlavePath(), dir_ / "usb-Other-if00");
  std::filesystem::create_symlink("/nonexistent/tty", dir_ / "broken");
  EXPECT_EQ(StableNames(pty.SlavePath(), dir_.string()),
            std::vector<std::string>{Path("usb-Vendor_Adapter_A1-if00-port0")});
  EXPECT_TRUE(DeviceDescription(pty.SlavePath()).empty());  // a pseudo-terminal has no USB parent

  // A stable name in [Ports] opens the device behind it.
  PortMap map = PortMap::FromSection({{"COM4", Path("usb-Vendor_Adapter_A1-if00-port0")}});
  EXPECT_NE(map.Open(4, kBaud), nullptr);
}

}  // namespace
}  // namespace lum
