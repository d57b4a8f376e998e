#pragma once

#include <cstddef>
#include <string>

namespace lum {

/// Largest job file, configuration (JSON) or overrides file a job reads: tens of thousands
/// of units' lines, far below what would take the memory of a bench computer.
inline constexpr size_t kMaxJobFileBytes = 4 * 1024 * 1024;

/// The whole content of a file that a job names. What is not a regular file (a FIFO, a
/// device, a folder) or is larger than kMaxJobFileBytes is refused without blocking. Throws
/// JobError naming the file.
std::string ReadJobFile(const std::string& path);

}  // namespace lum
