// lumctl ports and the reasons a port does not open, as the user reads them: a port held by
// another program, a device the user may not open, a port that is not there.
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Lumctl.h"
#include "support/PtyPair.h"

namespace lum {
namespace {

constexpr char kUnprivilegedUser[] = "65534";  // nobody
constexpr char kDeviceGroup[] = "dialout";

class LumctlPorts : public Lumctl {
 protected:
  static size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  }
};

TEST_F(LumctlPorts, AllListsThePortsThatDoNotOpenWithTheReason) {
  test::PtyPair free;
  MapPorts({{"COM1", free.SlavePath()}, {"COM2", Path("unplugged")}});
  const Outcome listed = Run("ports");
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.out, "COM1\t" + free.SlavePath() + "\n");

  const Outcome all = Run("ports --all");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, "COM1\t" + free.SlavePath() + "\nCOM2\t" + Path("unplugged") +
                         "\tcannot be opened: no such device (unplugged?)\n");
}

TEST_F(LumctlPorts, NothingToOpenExitsOneAndSaysWhy) {
  MapPorts({{"COM2", Path("unplugged")}});
  const Outcome listed = Run("ports");
  EXPECT_EQ(listed.status, 1);
  EXPECT_EQ(listed.out, "");
  EXPECT_TRUE(Contains(listed.err, "No port can be opened.")) << listed.err;
  EXPECT_TRUE(Contains(listed.err, "COM2")) << listed.err;
}

// Held as a terminal program holds it: open, exclusive. As root lumctl passes TIOCEXCL, so
// only the flag read after opening keeps it from taking the port (and from clearing the flag).
TEST_F(LumctlPorts, APortHeldByAnotherProgramIsNamedBusy) {
  test::PtyPair pty;
  const int holder = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
  MapPorts({{"COM1", pty.SlavePath()}});

  const Outcome all = Run("ports --all");
  const Outcome monitor = Run("monitor COM1 --count 1");
  const Outcome busMonitor = Run("--bus COM1:1-2 monitor COM1 --count 1");

  int stillExclusive = 0;
  ASSERT_EQ(ioctl(holder, TIOCGEXCL, &stillExclusive), 0);
  ioctl(holder, TIOCNXCL);
  close(holder);
  EXPECT_EQ(all.status, 1);
  const std::string busy = "in use by another program (test_cli, pid " + std::to_string(getpid()) + ")";
  EXPECT_TRUE(Contains(all.out, "COM1\t" + pty.SlavePath() + "\tcannot be opened: " + busy)) << all.out;
  EXPECT_EQ(monitor.status, 1);
  EXPECT_TRUE(Contains(monitor.err, busy)) << monitor.err;
  // On a bus the scan that looks for the controllers to watch says why the port is closed to it.
  EXPECT_EQ(busMonitor.status, 1);
  EXPECT_TRUE(Contains(busMonitor.out + busMonitor.err, busy)) << busMonitor.out << busMonitor.err;
  EXPECT_NE(stillExclusive, 0) << "lumctl cleared another program's exclusive flag";
}

// A user outside the device's group: lumctl runs as nobody against a terminal of group dialout.
TEST_F(LumctlPorts, PermissionDeniedNamesTheGroupAndTheFix) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run lumctl as another user against a device of another group";
  const group* dialout = getgrnam(kDeviceGroup);
  if (dialout == nullptr) GTEST_SKIP() << "this system has no group " << kDeviceGroup;
  test::PtyPair pty;
  ASSERT_EQ(chown(pty.SlavePath().c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0660), 0);
  MapPorts({{"COM1", pty.SlavePath()}});
  std::filesystem::permissions(
      dir_, std::filesystem::perms::all & ~std::filesystem::perms::others_write & ~std::filesystem::perms::group_write);
  const std::string asNobody =
      std::string("setpriv --reuid=") + kUnprivilegedUser + " --regid=" + kUnprivilegedUser + " --clear-groups -- ";

  const Outcome all = Run("ports --all", "C.UTF-8", asNobody);
  const Outcome monitor = Run("monitor COM1 --count 1", "C.UTF-8", asNobody);
  const Outcome scan = Run("scan", "C.UTF-8", asNobody);

  // The command is quoted whole; what follows it is advice, not part of it.
  const std::string fix = "permission denied: you are not in the group dialout that may open " + pty.SlavePath() +
                          "; add yourself to it with \"sudo usermod -aG dialout $USER\", then log in again";
  EXPECT_EQ(all.status, 1) << all.err;
  EXPECT_TRUE(Contains(all.out, fix)) << all.out << all.err;
  EXPECT_EQ(monitor.status, 1);
  EXPECT_TRUE(Contains(monitor.err, fix)) << monitor.err;
  // A scan says why it found nothing on a port it may not open, rather than passing it over.
  EXPECT_EQ(scan.status, 1);
  EXPECT_TRUE(Contains(scan.out, "] Cannot open COM1 (" + pty.SlavePath() + "): " + fix)) << scan.out << scan.err;
}

// For scripts: one object per port, the reason of one that does not open in its own field.
TEST_F(LumctlPorts, JsonListsEachPortAsAnObject) {
  test::PtyPair free;
  MapPorts({{"COM1", free.SlavePath()}, {"COM2", Path("unplugged")}});

  const Outcome listed = Run("ports --all --json");

  ASSERT_EQ(listed.status, 0) << listed.err;
  std::istringstream lines(listed.out);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  const auto first = nlohmann::json::parse(line);
  EXPECT_EQ(first["port"], "COM1");
  EXPECT_EQ(first["path"], free.SlavePath());
  EXPECT_EQ(first["opens"], true);
  EXPECT_FALSE(first.contains("reason"));
  ASSERT_TRUE(std::getline(lines, line));
  const auto second = nlohmann::json::parse(line);
  EXPECT_EQ(second["port"], "COM2");
  EXPECT_EQ(second["opens"], false);
  EXPECT_EQ(second["reason"], "no such device (unplugged?)");
  EXPECT_FALSE(std::getline(lines, line)) << listed.out;

  // Without --all, only what opens.
  EXPECT_EQ(Lines(Run("ports --json").out), 1u);
}

}  // namespace
}  // namespace lum
