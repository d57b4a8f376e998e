#pragma once

#include <string>
#include <vector>

#include "language/Settings.h"
#include "link/PortNames.h"

namespace lum {

/// The ports as LUM.INI maps them ([Ports], else the machine's own), with the buses that its
/// [Bus] section declares. Each [Bus] line that cannot be taken is named in `errors` and left
/// out, so that its port stays a single-controller port.
PortMap PortsFromSettings(const Settings& settings, std::vector<std::string>& errors);

/// The same from any profile that has [Ports] and [Bus] sections as LUM.INI has them
/// (the gateway's settings file).
PortMap PortsFromProfile(const ProfileFile& profile, std::vector<std::string>& errors);

}  // namespace lum
