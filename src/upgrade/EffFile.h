#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "language/MessageTable.h"
#include "upgrade/EffContent.h"
#include "upgrade/ModelName.h"
#include "upgrade/UpgradeMemo.h"

namespace lum {

/// The bytes of an upgrade file, read front to back.
class EffSource {
 public:
  virtual ~EffSource() = default;
  /// Reads up to `length` bytes; fewer only at the end of the file.
  /// Throws std::runtime_error with the system's text when reading fails.
  virtual size_t Read(uint8_t* buffer, size_t length) = 0;
};

/// Loads and checks an upgrade file from `source`, shown in the memo under the name `path`.
/// Fills `content`, writes the report lines and the information fields, and returns whether
/// the file was accepted (content.Accepted says the same).
bool LoadEff(EffSource& source, const std::string& path, EffContent& content, UpgradeMemo& memo,
             const MessageTable& messages, const ModelNames& names);

/// LoadEff on a file. Throws std::runtime_error with the system's text when the file cannot be
/// opened or read; the file then counts as rejected.
bool LoadEffFile(const std::string& path, EffContent& content, UpgradeMemo& memo, const MessageTable& messages,
                 const ModelNames& names);

/// LoadEff on bytes in memory.
bool LoadEffBytes(const uint8_t* data, size_t size, const std::string& path, EffContent& content, UpgradeMemo& memo,
                  const MessageTable& messages, const ModelNames& names);

/// The firmware version as "%d.%d.%d.%d": version div 100, its tens digit, its units digit, build.
std::string FirmwareVersionText(uint16_t version, uint16_t build);

}  // namespace lum
