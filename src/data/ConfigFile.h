#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/TimeStamp.h"
#include "data/ConfigBlock.h"
#include "data/DeviceConfig.h"

namespace lum {

/// Layout of a configuration file (".LUM"): tag, CRC of the block (little-endian),
/// reserved bytes, then the block byte for byte.
namespace config_file {
inline constexpr char kTag[] = "LUM1.0";
inline constexpr size_t kTagSize = sizeof(kTag) - 1;
inline constexpr size_t kCrcOffset = 6;
inline constexpr size_t kBlockOffset = 16;
inline constexpr size_t kSize = kBlockOffset + block_layout::kSize;
static_assert(kTagSize == kCrcOffset && kSize == 1776);
}  // namespace config_file

using ConfigImage = std::array<uint8_t, config_file::kSize>;

/// The outcome of reading a configuration file; the tag and the CRC are its only checks.
enum class ConfigFileStatus { Ok, NotLumFormat, VerifyError };

struct ConfigFileResult {
  ConfigFileStatus status = ConfigFileStatus::Ok;
  TCONFIG_BLOCK block;  // the stored block when status is Ok, zero otherwise
};

/// The 1776-byte file image of a block (reserved header bytes zero).
ConfigImage BuildConfigImage(const TCONFIG_BLOCK& block);

/// Checks and decodes file bytes: at most the first 1776 are used, a shorter input reads as
/// if zero-filled. The tag is the text of the first six bytes up to a zero byte.
ConfigFileResult ParseConfigImage(const uint8_t* data, size_t size);

/// Writes the image of the block to path, replacing an existing file atomically.
/// Throws std::runtime_error with the system's description of a failure.
void SaveConfigFile(const std::string& path, const TCONFIG_BLOCK& block);

/// Reads and checks the file at path. Throws std::runtime_error when it cannot be read.
ConfigFileResult OpenConfigFile(const std::string& path);

/// A new file entry: Name = the full path, FromDevice 0, identity empty, the given block.
std::unique_ptr<TDEVICE_CONFIG> EntryFromFile(const std::string& fullPath, const TCONFIG_BLOCK& block);

/// "[stamp] Open file: path".
std::string OpenFileLine(const std::string& path, const std::string& stamp = NowStamp());
/// The line a failed check adds ("... is not a LUM1.0 format file." or "... data verify
/// error."); empty for Ok.
std::string OpenFailureLine(ConfigFileStatus status, const std::string& path, const std::string& stamp = NowStamp());
/// "[stamp] " followed by the saved message (Msg_32, "%s" = the path), filled safely.
std::string SavedLine(const std::string& savedMessage, const std::string& path, const std::string& stamp = NowStamp());

}  // namespace lum
