#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lum {

/// The program's version information as the executable of the original platform carries it:
/// a list of (language, code page) translations and one block of named strings per
/// translation, the block named by the 8-digit hexadecimal text of the pair ("080403A8").
struct VersionResource {
  struct Translation {
    uint16_t language;
    uint16_t codePage;
  };
  std::vector<Translation> translations;
  std::map<std::string, std::map<std::string, std::string>> stringBlocks;
};

/// "080403A8": language x 65536 + code page as 8 upper-case hexadecimal digits.
std::string TranslationBlockName(VersionResource::Translation translation);

/// The program's own version information, fixed at build time.
const VersionResource& ProgramVersionResource();

/// FileVersion of the string block of the first translation; "" without a translation or
/// without that entry.
std::string FileVersionString(const VersionResource& resource);
/// FileVersion of the program's own version information ("1.1.0.111").
std::string FileVersionString();

}  // namespace lum
