// Configuration file bytes: parsing never reads past the input, and an accepted image
// rebuilds to the same 1776 leading bytes apart from the reserved header bytes.
#include <cstdint>
#include <cstdlib>

#include "data/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const lum::ConfigFileResult result = lum::ParseConfigImage(data, size);
  if (result.status != lum::ConfigFileStatus::Ok) return 0;
  const lum::ConfigImage image = lum::BuildConfigImage(result.block);
  for (size_t i = 0; i < image.size(); ++i) {
    const bool reservedHeader = i >= lum::config_file::kCrcOffset + 2 && i < lum::config_file::kBlockOffset;
    const uint8_t original = i < size ? data[i] : 0;
    if (!reservedHeader && image[i] != original) std::abort();
  }
  return 0;
}
