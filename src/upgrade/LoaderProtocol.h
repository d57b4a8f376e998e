#pragma once

#include <cstddef>
#include <cstdint>

namespace lum::loader {

/// Line speed of the controller's loader (8N1).
inline constexpr unsigned kBaud = 9600;

// Bytes on the loader's line.
inline constexpr uint8_t kListening = '!';  // last byte of the loader's first transmission
inline constexpr uint8_t kSync = '<';
inline constexpr uint8_t kSynced = '>';
inline constexpr uint8_t kIdentify = 'I';
inline constexpr uint8_t kImageStart = 'F';
inline constexpr uint8_t kImageReady = 'f';
inline constexpr uint8_t kDataStart = 'E';  // also ahead of every data block
inline constexpr uint8_t kDataReady = 'e';
inline constexpr uint8_t kCheckError = '@';    // first byte of a 2-byte check-error reply
inline constexpr uint8_t kBlockHeader = 0x01;  // followed by the block index modulo 256
inline constexpr uint8_t kImageEnd = 0xFF;     // sent twice
inline constexpr size_t kImageEndCount = 2;
inline constexpr uint8_t kVersion = 'V';  // followed by the version, big-endian
inline constexpr uint8_t kBuild = 'B';    // followed by the build, big-endian
inline constexpr uint8_t kQuit = 'Q';

/// The identity reply: the device ID (big-endian) and one byte that is not examined.
inline constexpr size_t kIdentitySize = 5;
inline constexpr size_t kCheckErrorSize = 2;

}  // namespace lum::loader
