#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/DeviceContext.h"
#include "device/PortOpener.h"
#include "sim/ControllerSetup.h"
#include "sim/Request.h"
#include "sim/Responder.h"
#include "support/FakeClock.h"
#include "support/RecordingObserver.h"
#include "support/ScriptedPort.h"

namespace lum::test {

/// A scripted port with a simulated controller behind it: every request is answered at once,
/// in one chunk, as the simulator's controller would answer it.
class ScriptedController {
 public:
  explicit ScriptedController(const sim::ControllerSetup& setup);
  ScriptedPort& Port() { return port_; }
  const TCONFIG_BLOCK& Config() const { return responder_.Config(); }

 private:
  ScriptedPort port_;
  sim::Responder responder_;
};

/// Decoded requests of a pseudo-terminal controller's log.
std::vector<sim::Request> Decode(const std::vector<sim::RawFrame>& log);
/// The command codes of the requests, in order.
std::vector<uint8_t> Commands(const std::vector<sim::Request>& requests);

/// Hands out ports the test keeps: COMn opens as a view of the port attached as n.
class ScriptedOpener : public PortOpener {
 public:
  void Attach(int n, SerialPort& port) { ports_[n] = &port; }
  std::unique_ptr<SerialPort> Open(int n) override;
  bool Exists(int n) const override { return ports_.contains(n); }
  /// Every n asked for, in order, whether it opened or not.
  const std::vector<int>& Asked() const { return asked_; }

 private:
  std::map<int, SerialPort*> ports_;
  std::vector<int> asked_;
};

/// The operations' surroundings with a fake clock and scripted ports.
class ScriptedDeviceTest : public ::testing::Test {
 protected:
  ScriptedDeviceTest() { messages.FillBuiltIn(); }
  /// A file entry made current, as the window's "New File" or an opened file.
  TDEVICE_CONFIG& CurrentFileEntry(const TCONFIG_BLOCK& block, const std::string& name = "file.LUM");
  /// Requests written on a scripted port, decoded.
  static std::vector<sim::Request> Sent(const ScriptedPort& port);

  FakeClock clock;
  RecordingObserver observer;
  Link link{clock, observer};
  EntryStore entries;
  ScriptedOpener opener;
  MessageTable messages;
  DeviceContext context{link, entries, opener, messages};
};

}  // namespace lum::test
