#pragma once

#include <memory>
#include <span>
#include <string>

#include "data/DeviceConfig.h"
#include "link/BusAddresses.h"
#include "link/Link.h"
#include "link/SerialPort.h"

namespace lum {

/// Memory reads of the settings page: byte count and start address of each.
struct MemoryRead {
  uint8_t count;
  uint16_t address;
};
inline constexpr MemoryRead kSettingsMemoryReads[] = {{4, 0x4000}, {8, 0x4008}, {4, 0x4018}, {4, 0x4024}, {1, 0x402A}};
inline constexpr MemoryRead kTestMemoryRead = {8, 0x4024};

/// The live-monitor port: opened and closed by hand, polled once a tick. Replies decode into
/// CurrentEntry's block and show through the link's observer. The window keeps its own
/// captions, status texts and timer; this class owns only the port and the exchanges.
class Monitor {
 public:
  static constexpr unsigned kOpenPauseMs = 400;
  static constexpr unsigned kPollIntervalMs = 1000;

  Monitor(Link& link, EntryStore& entries) : link_(link), entries_(entries) {}
  ~Monitor() { Close(); }
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  /// Opens a device path at the controllers' speed: RxPos back to the ring's start, a 400 ms
  /// pause, DeviceIdentified set. False, with nothing changed, when the port does not open
  /// (the reason, an errno value, in `*failure` when given).
  bool Open(const std::string& path, int* failure = nullptr);
  /// Makes the open port COMn a bus: each poll goes round `addresses` in order, every
  /// controller's replies landing in its own device entry (COMn at that address), or nowhere
  /// shown when it has none. An empty list: the port's one controller, as before. Close ends it.
  void SetBus(int port, BusAddresses addresses);
  /// Closes the port (if open) and clears DeviceIdentified.
  void Close();
  bool IsOpen() const { return port_ != nullptr; }

  /// One timer tick: with monitoring on, requests power-on time, temperature, battery,
  /// solar, load 1 voltage and current (of each controller of a bus, in turn, or of the one at
  /// `busAddress` alone). Skipped (false) while the port is closed, or when `busAddress` is not
  /// one of the bus; true when the tick ran.
  bool Poll(bool monitoringOn, uint8_t busAddress = 0);

  /// The five memory reads of the settings page ("Read"); replies are discarded. On a bus they
  /// go to CurrentEntry's address, and nowhere (false) when it is not one of the bus.
  bool ReadSettingsMemory();
  /// The single memory read of "Test".
  bool TestMemoryRead();

 private:
  bool ReadMemory(std::span<const MemoryRead> reads);
  TCONFIG_BLOCK& Block();
  /// The block a bus controller's replies decode into.
  TCONFIG_BLOCK& BlockOf(uint8_t address);
  void PollReads(TCONFIG_BLOCK& block);

  Link& link_;
  EntryStore& entries_;
  std::unique_ptr<SerialPort> port_;
  TCONFIG_BLOCK unattached_;  // receives replies while no entry is current
  int bus_port_ = 0;
  BusAddresses bus_;
};

}  // namespace lum
