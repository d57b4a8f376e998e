#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/DeviceConfig.h"
#include "device/DeviceContext.h"
#include "link/SerialPort.h"

namespace lum {

/// Offers to apply pending page edits to an entry (the window asks only when it is Modified).
using ConfirmApply = std::function<void(TDEVICE_CONFIG& entry)>;

/// Device type names by row as the window lists them (possibly translated); a row without a
/// name here shows the table's built-in name.
using DeviceTypeNames = std::vector<std::string>;

/// Identification tries of a scan, and the pause after a channel's mode request.
inline constexpr int kScanIdentifyTries = 6;
inline constexpr unsigned kChannelReadPauseMs = 32;

/// Identifies the controller on an open port and reads its identity and configuration into
/// CurrentEntry (the entry just added by the scan). Reports "Connected device", "Reading
/// configuration data" and "Ok" lines. Every read request must be answered: when one is not,
/// the read ends with "Failure" and a line naming what is missing, and the entry is marked
/// ReadIncomplete instead of FromDevice. Always leaves DeviceIdentified cleared. Returns true
/// when a controller of the device type table answered and was read completely.
bool IdentifyAndRead(DeviceContext& context, SerialPort* port, const DeviceTypeNames& names);

/// Tries COM1..COM16 in order: each port that opens gets a new device entry named COMn, made
/// CurrentEntry, and is read by IdentifyAndRead; the entry is taken away again when no
/// controller answered there, and one line names those ports. A scan that
/// opened no port says so, naming the ports that would not open (or that there is none).
/// Earlier device entries are discarded first.
/// `confirmApply` runs first when CurrentEntry is not FromDevice. Returns true when at least
/// one controller was read completely.
bool ScanPorts(DeviceContext& context, const DeviceTypeNames& names, const ConfirmApply& confirmApply = {});

}  // namespace lum
