#pragma once

#include <string>
#include <vector>

namespace lum::sim {

/// A LUM.INI [Ports] section naming COM1, COM2, ... after the given device paths, in order.
std::string PortsIniText(const std::vector<std::string>& paths);

/// Replaces `file` with PortsIniText (written beside it, then renamed over it). Throws
/// std::runtime_error naming the file when it cannot be written.
void WritePortsIni(const std::string& file, const std::vector<std::string>& paths);

}  // namespace lum::sim
