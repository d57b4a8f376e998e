#pragma once

#include <string>
#include <vector>

namespace lum::sim {

/// A LUM.INI [Ports] section naming COM1, COM2, ... after the given device paths, in order;
/// and a [Bus] section for each port whose `buses` text (by the same index) is not empty.
std::string PortsIniText(const std::vector<std::string>& paths, const std::vector<std::string>& buses = {});

/// Replaces `file` with PortsIniText (written beside it, then renamed over it). Throws
/// std::runtime_error naming the file when it cannot be written.
void WritePortsIni(const std::string& file, const std::vector<std::string>& paths,
                   const std::vector<std::string>& buses = {});

}  // namespace lum::sim
