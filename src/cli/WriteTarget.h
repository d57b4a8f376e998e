#pragma once

#include <optional>
#include <string>

#include "cli/CliSession.h"
#include "data/ConfigBlock.h"

namespace lum::cli {

/// Reads the controllers on `device`'s ports as a scan does (each read is backed up) and
/// returns the first, in port order, read completely that reports `productId` (any product
/// for 0); null when there is none. The entry belongs to `device`.
const TDEVICE_CONFIG* ReadAndBackUp(CliSession& session, DeviceSession& device, uint32_t productId);

/// Reads the controllers as a scan does (each read is backed up) and returns the
/// configuration of the one a write of this product would go to, as read: the first, in
/// port order, read completely that reports the product code. nullopt when there is none.
std::optional<TCONFIG_BLOCK> ReadWriteTarget(CliSession& session, uint32_t productId);

/// Reads the controller on one port of LUM.INI ("COMn"); the read is backed up. nullopt when
/// no controller there was read completely.
std::optional<TCONFIG_BLOCK> ReadPortConfig(CliSession& session, const std::string& comName, const std::string& path);

/// Opens a configuration file or ends the command: exit 2 for a file that cannot be read,
/// 1 for one that is not a configuration file.
TCONFIG_BLOCK OpenConfigOrExit(const std::string& path);

/// Prints the changes a write of `source` makes on a controller holding `target`.
void PrintChanges(const TCONFIG_BLOCK& target, const TCONFIG_BLOCK& source);

}  // namespace lum::cli
