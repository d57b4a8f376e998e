// The termios backend against real pseudo-terminals.
#include <gtest/gtest.h>
#include <termios.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/Clock.h"
#include "data/TempDir.h"
#include "link/Frame.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "support/FakeClock.h"
#include "support/LineBytes.h"
#include "support/PtyPair.h"
#include "support/RecordingObserver.h"

namespace lum {
namespace {

using test::Bytes;
constexpr unsigned kBaud = 38400;
constexpr int kPatienceMs = 10000;  // only a broken port takes this long

// Bytes written to the master need a moment to reach the slave's queue.
uint32_t WaitForIncoming(SerialPort& port, uint32_t count) {
  PortStatus status;
  for (int i = 0; i < kPatienceMs; ++i) {
    if (port.Status(status) && status.inQueue >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return status.inQueue;
}

TEST(PosixSerialPort, OpensAPseudoTerminalExclusively) {
  test::PtyPair pty;
  auto first = OpenPort(pty.SlavePath(), kBaud);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Path(), pty.SlavePath());
  EXPECT_EQ(OpenPort(pty.SlavePath(), kBaud), nullptr);
  EXPECT_FALSE(CanOpenExclusively(pty.SlavePath()));
  first.reset();
  EXPECT_TRUE(CanOpenExclusively(pty.SlavePath()));
  EXPECT_NE(OpenPort(pty.SlavePath(), kBaud), nullptr);
}

TEST(PosixSerialPort, AppliesRaw8N1WithoutFlowControl) {
  test::PtyPair pty;
  auto port = OpenPort(pty.SlavePath(), kBaud);
  ASSERT_NE(port, nullptr);
  termios tio{};
  ASSERT_EQ(tcgetattr(pty.MasterFd(), &tio), 0);  // a master reports its slave's settings
  EXPECT_EQ(cfgetispeed(&tio), B38400);
  EXPECT_EQ(cfgetospeed(&tio), B38400);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST(PosixSerialPort, MovesBytesBothWaysAndPurges) {
  test::PtyPair pty;
  auto port = OpenPort(pty.SlavePath(), 9600);
  ASSERT_NE(port, nullptr);

  const Bytes request = {0x00, 0x01, 0x0D, 0x0A, 0x11, 0x13, 0xFF, 0x00};  // no byte is special
  ASSERT_TRUE(port->Write(request.data(), request.size()));
  EXPECT_EQ(pty.ReadExactly(request.size(), kPatienceMs), request);

  uint8_t buffer[32];
  EXPECT_EQ(port->Read(buffer, sizeof buffer), 0u);  // nothing waiting: returns at once

  pty.Write(request);
  ASSERT_EQ(WaitForIncoming(*port, 8), 8u);
  PortStatus status;
  ASSERT_TRUE(port->Status(status));
  EXPECT_EQ(status.errors, 0u);  // a pseudo-terminal counts no line errors
  EXPECT_EQ(port->Read(buffer, 3), 3u);
  EXPECT_EQ(port->Read(buffer + 3, sizeof buffer - 3), 5u);
  EXPECT_EQ(Bytes(buffer, buffer + 8), request);

  pty.Write(request);
  ASSERT_EQ(WaitForIncoming(*port, 8), 8u);
  port->PurgeReceive();
  ASSERT_TRUE(port->Status(status));
  EXPECT_EQ(status.inQueue, 0u);
}

TEST(PosixSerialPort, MissingDeviceFailsSilently) {
  test::RecordingObserver observer;
  observer.SetShowErrorDetails(true);
  EXPECT_EQ(OpenPort("/nonexistent/ttyUSB9", kBaud, &observer), nullptr);
  EXPECT_TRUE(observer.TraceLines().empty());
  EXPECT_FALSE(CanOpenExclusively("/nonexistent/ttyUSB9"));
}

class RefusedSettings : public TempDir {
 protected:
  void SetUp() override { WriteRaw("not-a-tty", "x"); }
  std::filesystem::path path_ = Path("not-a-tty");
};

TEST_F(RefusedSettings, TracedOnlyWithErrorDetails) {
  test::RecordingObserver observer;
  EXPECT_EQ(OpenPort(path_.string(), kBaud, &observer), nullptr);
  EXPECT_TRUE(observer.TraceLines().empty());

  observer.SetShowErrorDetails(true);
  EXPECT_EQ(OpenPort(path_.string(), kBaud, &observer), nullptr);
  ASSERT_EQ(observer.TraceLines().size(), 1u);
  EXPECT_EQ(observer.TraceLines()[0], "Error: " + SystemMessageText(ENOTTY));
  EXPECT_TRUE(CanOpenExclusively(path_.string()));  // closed again, not left locked
}

TEST(PosixSerialPort, UnknownBaudRateIsRefused) {
  test::PtyPair pty;
  test::RecordingObserver observer;
  observer.SetShowErrorDetails(true);
  EXPECT_EQ(OpenPort(pty.SlavePath(), 12345, &observer), nullptr);
  ASSERT_EQ(observer.TraceLines().size(), 1u);
  EXPECT_EQ(observer.TraceLines()[0], "Error: " + SystemMessageText(EINVAL));
  EXPECT_TRUE(CanOpenExclusively(pty.SlavePath()));
}

TEST(PosixSerialPort, HangUpNeitherCrashesNorHangs) {
  test::PtyPair pty;
  auto port = OpenPort(pty.SlavePath(), kBaud);
  ASSERT_NE(port, nullptr);
  pty.CloseMaster();
  uint8_t buffer[32];
  EXPECT_EQ(port->Read(buffer, sizeof buffer), 0u);
  const Bytes frame(8, 0x55);
  EXPECT_FALSE(port->Write(frame.data(), frame.size()));
  EXPECT_FALSE(port->LastError().empty());

  PortStatus status;
  EXPECT_FALSE(port->Status(status));

  // An exchange on the dead port ends at once with the status failure.
  test::FakeClock clock;
  test::RecordingObserver observer;
  Link link(clock, observer);
  TCONFIG_BLOCK block;
  link.SendFrame(block, port.get(), 0, command::kIdentify, 0, 0, 0);
  EXPECT_EQ(block.ProductID(), 0u);
  ASSERT_EQ(observer.TraceLines().size(), 1u);
  EXPECT_NE(observer.TraceLines()[0].find("Send Data:: ClearCommError: " + SystemMessageText(EIO)), std::string::npos)
      << observer.TraceLines()[0];
}

// The controller answers only the second request: the reply still arrives within the
// exchange and is decoded, with the real waits.
TEST(PosixSerialPort, LateReplyIsDecodedWithTheRealClock) {
  test::PtyPair pty;
  auto port = OpenPort(pty.SlavePath(), kBaud);
  ASSERT_NE(port, nullptr);
  int requestsSeen = 0;
  std::thread controller([&] {
    while (requestsSeen < 2 && pty.ReadExactly(frame::kSize, kPatienceMs).size() == frame::kSize) ++requestsSeen;
    if (requestsSeen == 2) {
      pty.Write(test::ShortFrame(ReplyCode(command::kIdentify), 0, 0x12, 0x3456));
    }
  });
  test::RecordingObserver observer;
  Link link(SystemClock(), observer);
  TCONFIG_BLOCK block;
  link.SendFrame(block, port.get(), 0, command::kIdentify, 0, 0, 0);
  controller.join();
  EXPECT_EQ(requestsSeen, 2);
  EXPECT_EQ(block.ProductID(), 0x123450u);
  EXPECT_TRUE(link.DeviceIdentified());
  EXPECT_TRUE(observer.TraceLines().empty());
}

}  // namespace
}  // namespace lum
