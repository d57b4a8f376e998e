#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/PortNames.h"
#include "link/SerialPort.h"

namespace lum {

/// Line speed of the controllers' protocol.
inline constexpr unsigned kDeviceBaud = 38400;

/// Opens the system's ports COM1..COM16 for a scan or a write, one at a time.
class PortOpener {
 public:
  virtual ~PortOpener() = default;
  /// COMn opened at kDeviceBaud, or null when it does not exist or cannot be opened.
  virtual std::unique_ptr<SerialPort> Open(int n) = 0;
  /// The information line for COMn when its last Open was refused for lack of permission:
  /// the user must learn what gives access. Nullopt otherwise.
  virtual std::optional<std::string> PermissionRefusal(int /*n*/) const { return std::nullopt; }
  /// Whether the system has a COMn, open or not.
  virtual bool Exists(int n) const = 0;
  /// The addresses COMn is looked at as a bus; empty for a single-controller port.
  virtual const BusAddresses& BusOf(int /*n*/) const {
    static const BusAddresses kSingle;
    return kSingle;
  }
};

/// Opens the ports of a PortMap; refused line settings are reported to `errors`.
class PortMapOpener : public PortOpener {
 public:
  explicit PortMapOpener(PortMap map, PortErrorSink* errors = nullptr) : map_(std::move(map)), errors_(errors) {}
  std::unique_ptr<SerialPort> Open(int n) override {
    last_failure_ = 0;
    return map_.Open(n, kDeviceBaud, errors_, &last_failure_);
  }
  std::optional<std::string> PermissionRefusal(int n) const override;
  bool Exists(int n) const override { return map_.PathOf(n).has_value(); }
  const BusAddresses& BusOf(int n) const override { return map_.BusOf(n); }

 private:
  PortMap map_;
  PortErrorSink* errors_;
  int last_failure_ = 0;
};

}  // namespace lum
