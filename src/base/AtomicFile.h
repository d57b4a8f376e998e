#pragma once

#include <functional>
#include <string>

namespace lum {

/// Replaces the file at path with bytes: writes a temporary file beside it, flushes it to
/// the disk and renames it over the target, so a failed write never destroys the old file.
/// A symbolic link stays a link: its target is replaced. A file without any write permission
/// bit (0444) is refused even where the process could write it (root). Throws
/// FileError (base/RegularFile.h) with the reason ("the folder ... is not writable" when no
/// temporary file can be made); the temporary file is removed on every failure.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

/// Where an append goes: whether the file existed, and whether its end is the start of a line
/// (it is empty or ends with a line feed).
struct AppendPoint {
  bool existed;
  bool atLineStart;
};

/// Appends the bytes that bytesAt gives for the file's end to the file at path (created when
/// missing) and flushes them to the disk: the cost is that of the new bytes, and what the file
/// held can never be lost. Symbolic links are followed; read-only and non-regular files are
/// refused as by WriteFileAtomically. A failed append leaves the file as it was.
void AppendToFile(const std::string& path, const std::function<std::string(AppendPoint)>& bytesAt);

}  // namespace lum
