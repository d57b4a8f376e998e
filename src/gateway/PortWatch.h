#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/DeviceConfig.h"
#include "data/PollSample.h"
#include "device/DeviceSession.h"
#include "gateway/Discovery.h"
#include "gateway/GatewayObserver.h"
#include "link/PortNames.h"

namespace lum::gateway {

/// How a controller read completely names itself in its discovery documents.
ControllerIdentity IdentityOf(const TDEVICE_CONFIG& read);

/// What reading a port gave: each controller read completely, and whether every read was
/// backed up.
struct PortRead {
  std::vector<TDEVICE_CONFIG> controllers;
  bool backedUp = true;
};

/// One port of the gateway (a single controller's or a bus): its own device session, so
/// that ports are read and polled side by side. Called on the gateway's thread only.
class PortWatch {
 public:
  /// COMn of `ports`, its bus included. Throws std::invalid_argument when it has no path.
  PortWatch(int n, const PortMap& ports, const GatewayLog& log);

  const std::string& Name() const { return name_; }
  /// Reads every controller on the port as a scan does (the monitor port closed first) and
  /// backs each read up under `dataFolder`, as lumctl does.
  PortRead Read(const std::string& dataFolder);
  bool OpenMonitor();
  void CloseMonitor();
  bool MonitorOpen() const { return session_->MonitorOpen(); }
  /// Starts one poll of the controller at `busAddress` (0: the port's one) on the port's own
  /// thread, so that the ports of a gateway are polled side by side.
  void StartPoll(uint8_t busAddress);
  /// Waits for the poll started; nullopt when nothing answered.
  std::optional<PollSample> FinishPoll();
  /// Writes `block` into the controller at `busAddress` with verification, as lumctl write
  /// does; the session's device entries must hold its last read.
  WriteResult Write(const TCONFIG_BLOCK& block, uint8_t busAddress);

 private:
  int n_;
  std::string name_;
  std::string path_;
  GatewayObserver observer_;
  std::unique_ptr<DeviceSession> session_;
};

}  // namespace lum::gateway
