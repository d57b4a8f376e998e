#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lum {

/// From the entry names of the device folder: the USB adapters (ttyUSB*, ttyACM*) in natural
/// order, then the built-in ports (ttyS*) that `isRealPort` accepts, in natural order.
/// Other names are left out. Returns names, not paths.
std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& names,
                                            const std::function<bool(const std::string& name)>& isRealPort);

/// What the system knows of a serial device: USB manufacturer and product, serial number and
/// vendor:product ids (libudev); empty when it knows nothing (pseudo-terminals, built-in ports).
std::string DeviceDescription(const std::string& path);

/// The stable names of a device: the links under `byIdFolder` that lead to it, for [Ports].
std::vector<std::string> StableNames(const std::string& path, const std::string& byIdFolder = "/dev/serial/by-id");

/// Whether a UART is behind the built-in port `name` (ttyS*): asked of the driver through the
/// device, or, when the user may not open it, through the port type the system publishes in
/// `ttyClassFolder`, so that a port refused for permission is listed (and its refusal said)
/// rather than taken for absent.
bool IsBuiltInPortPresent(const std::string& name, const std::string& deviceFolder = "/dev",
                          const std::string& ttyClassFolder = "/sys/class/tty");

/// Paths of the machine's serial devices in that order. Built-in ports count only when the
/// driver knows a UART behind them (most ttyS* nodes exist whether or not a port does).
std::vector<std::string> ListSerialDevices();

}  // namespace lum
