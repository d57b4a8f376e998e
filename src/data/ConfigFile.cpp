#include "data/ConfigFile.h"

#include <algorithm>

#include "base/AtomicFile.h"
#include "base/ByteOrder.h"
#include "base/Crc16.h"
#include "base/RegularFile.h"
#include "base/SafeFormat.h"

namespace lum {

ConfigImage BuildConfigImage(const TCONFIG_BLOCK& block) {
  ConfigImage image{};
  std::copy_n(config_file::kTag, config_file::kTagSize, image.begin());
  WriteU16Le(image.data() + config_file::kCrcOffset, Crc16(block.data(), block_layout::kSize));
  std::copy(block.bytes().begin(), block.bytes().end(), image.begin() + config_file::kBlockOffset);
  return image;
}

ConfigFileResult ParseConfigImage(const uint8_t* data, size_t size) {
  ConfigImage image{};
  std::copy_n(data, std::min(size, image.size()), image.begin());

  ConfigFileResult result;
  // The tag holds no zero byte, so a text ending early at one never equals it.
  const bool tagMatches = std::equal(image.begin(), image.begin() + config_file::kTagSize, config_file::kTag,
                                     [](uint8_t byte, char c) { return byte == static_cast<uint8_t>(c); });
  if (!tagMatches) {
    result.status = ConfigFileStatus::NotLumFormat;
    return result;
  }
  const uint8_t* block = image.data() + config_file::kBlockOffset;
  if (Crc16(block, block_layout::kSize) != ReadU16Le(image.data() + config_file::kCrcOffset)) {
    result.status = ConfigFileStatus::VerifyError;
    return result;
  }
  std::copy_n(block, block_layout::kSize, result.block.bytes().begin());
  return result;
}

void SaveConfigFile(const std::string& path, const TCONFIG_BLOCK& block) {
  const ConfigImage image = BuildConfigImage(block);
  WriteFileAtomically(path, std::string(image.begin(), image.end()));
}

ConfigFileResult OpenConfigFile(const std::string& path) {
  const std::string bytes = ReadFilePrefix(path, config_file::kSize);
  return ParseConfigImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::unique_ptr<TDEVICE_CONFIG> EntryFromFile(const std::string& fullPath, const TCONFIG_BLOCK& block) {
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = fullPath;
  entry->Config = block;
  entry->Kept = block;
  return entry;
}

std::string OpenFileLine(const std::string& path, const std::string& stamp) {
  return FormatText("[%s] Open file: %s", {stamp, path});
}

std::string OpenFailureLine(ConfigFileStatus status, const std::string& path, const std::string& stamp) {
  switch (status) {
    case ConfigFileStatus::NotLumFormat:
      return FormatText("[%s] %s is not a %s format file.", {stamp, path, config_file::kTag});
    case ConfigFileStatus::VerifyError:
      return FormatText("[%s] %s data verify error.", {stamp, path});
    case ConfigFileStatus::Ok:
      break;
  }
  return {};
}

std::string SavedLine(const std::string& savedMessage, const std::string& path, const std::string& stamp) {
  return FormatText("[%s] ", {stamp}) + FormatText(savedMessage, {path});
}

}  // namespace lum
