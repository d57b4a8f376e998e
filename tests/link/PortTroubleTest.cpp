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
  const std::string denied = PortOpenReason(pty.SlavePath(), EACCES);
  EXPECT_NE(denied.find("permission denied"), std::string::npos) << denied;
  EXPECT_NE(denied.find("then log in again\""), std::string::npos) << denied;
  struct stat info {};
  ASSERT_EQ(stat(pty.SlavePath().c_str(), &info), 0);
  const group* owner = getgrgid(info.st_gid);
  ASSERT_NE(owner, nullptr);
  const std::string name = owner->gr_name;
  EXPECT_NE(denied.find("belongs to the group " + name), std::string::npos) << denied;
  EXPECT_NE(denied.find("\"sudo usermod -aG " + name + " $USER, then log in again\""), std::string::npos) << denied;

  EXPECT_EQ(PortOpenReason(pty.SlavePath(), EBUSY), "in use by another program");  // held by this process
  EXPECT_NE(PortOpenReason("/nonexistent/ttyUSB9", ENOENT).find("no such device"), std::string::npos);
  EXPECT_EQ(PortOpenFailureLine("COM2", "/dev/ttyUSB1", EIO, "2026-01-02 03:04:05.006"),
            "[2026-01-02 03:04:05.006] Cannot open COM2 (/dev/ttyUSB1): Input/output error");
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
