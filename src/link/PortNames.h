#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/BusAddresses.h"
#include "link/SerialPort.h"

namespace lum {

inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 16;

/// "COM" + n without leading zeros.
std::string ComName(int n);
/// n for "COMn" (1..16, letter case ignored); nullopt for anything else.
std::optional<int> ComNumber(const std::string& name);

/// A port of the mapping and whether it can be opened now.
struct PortProbe {
  std::string name;  // COMn
  std::string path;
  int error = 0;  // 0: it can be opened; otherwise why not (errno)
};

/// The mapping of the system's port names COM1..COM16 to device paths.
class PortMap {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;  // key, value as in LUM.INI

  /// From the [Ports] section of LUM.INI (COM3=/dev/ttyUSB0): only the ports it names exist.
  /// Keys that are not COM1..COM16 are ignored.
  static PortMap FromSection(const Entries& entries);
  /// Without such a section: the machine's serial devices numbered COM1.. in a stable order,
  /// USB adapters first; never more than 16.
  static PortMap FromSystem();

  /// Makes COMn a bus looked at on `addresses`; an empty list makes it a single-controller port.
  void SetBus(int n, BusAddresses addresses);
  /// The [Bus] section of LUM.INI (COM3=1-32): each key a port of this mapping. Returns one
  /// message for each line that is not taken (a bad port or bad addresses).
  std::vector<std::string> SetBuses(const Entries& entries);
  /// COMn's bus addresses; empty for a single-controller port.
  const BusAddresses& BusOf(int n) const;

  /// The same mapping with COMn alone, and its bus (empty when COMn does not exist).
  PortMap Only(int n) const;

  /// Device path of COMn, if that port exists.
  std::optional<std::string> PathOf(int n) const;
  /// A port given by a user: "COMn" through the mapping, anything else as a device path.
  std::optional<std::string> Resolve(const std::string& nameOrPath) const;
  /// Opens COMn; null when it does not exist or cannot be opened (the reason in `*failure`).
  std::unique_ptr<SerialPort> Open(int n, unsigned baud, PortErrorSink* errors = nullptr, int* failure = nullptr) const;

  /// Every port of the mapping, in increasing order, each opened and closed at once (no line
  /// settings touched), with the reason when it cannot be opened.
  std::vector<PortProbe> ProbeComPorts() const;

  /// The ports that can be opened now, in increasing order (each opened and closed at once,
  /// no line settings touched): name and device path.
  std::vector<std::pair<std::string, std::string>> ListComPorts() const;

 private:
  std::vector<std::optional<std::string>> paths_ = std::vector<std::optional<std::string>>(kLastComPort + 1);
  std::vector<BusAddresses> buses_ = std::vector<BusAddresses>(kLastComPort + 1);
};

}  // namespace lum
