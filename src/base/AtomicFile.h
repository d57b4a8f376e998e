#pragma once

#include <cstddef>
#include <string>

namespace lum {

/// Replaces the file at path with bytes: writes a temporary file beside it, flushes it to
/// the disk and renames it over the target, so a failed write never destroys the old file.
/// Throws std::runtime_error naming the path and the system's description of the failure;
/// the temporary file is removed on every failure.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

/// Default limit of ReadWholeFile: far above any file this program reads.
inline constexpr size_t kDefaultReadLimit = 16 * 1024 * 1024;

/// The whole content of a file, at most maxBytes of it (the rest is not read).
/// Throws std::runtime_error naming the path and the system's description of the failure.
std::string ReadWholeFile(const std::string& path, size_t maxBytes = kDefaultReadLimit);

}  // namespace lum
