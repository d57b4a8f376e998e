#include "FileVersion.h"

#include <fmt/format.h>

#include <charconv>

#include "VersionInfo.h"

namespace lum {

namespace {
constexpr char kFileVersionKey[] = "FileVersion";
constexpr int kTranslationDigits = 8;
constexpr int kCodePageBits = 16;

// The build fixes the translation as its block name; the resource holds it as the pair.
VersionResource::Translation ParseTranslation(std::string_view blockName) {
  uint32_t value = 0;
  std::from_chars(blockName.data(), blockName.data() + blockName.size(), value, 16);
  return {static_cast<uint16_t>(value >> kCodePageBits), static_cast<uint16_t>(value & 0xFFFFu)};
}

VersionResource BuildProgramResource() {
  VersionResource resource;
  resource.translations.push_back(ParseTranslation(version::kTranslation));
  resource.stringBlocks[version::kTranslation] = {
      {"FileVersion", version::kFileVersion},
      {"FileDescription", "Lumaris Workbench"},
      {"Comments", "Lumaris Workbench"},
      {"InternalName", "LUM"},
      {"OriginalFilename", "LUM.EXE"},
      {"ProductVersion", "1.0"},
      {"LegalTrademarks", "TM"},
      {"CompanyName", "Quorvane Electronic Technology Corp."},
      {"ProductName", "Lumaris Workbench"},
      {"LegalCopyright", "Copyright (C) 2016 Quorvane Electronic Technology Corp."},
  };
  return resource;
}
}  // namespace

std::string TranslationBlockName(VersionResource::Translation translation) {
  const uint32_t value = (static_cast<uint32_t>(translation.language) << kCodePageBits) | translation.codePage;
  return fmt::format("{:0{}X}", value, kTranslationDigits);
}

const VersionResource& ProgramVersionResource() {
  static const VersionResource resource = BuildProgramResource();
  return resource;
}

std::string FileVersionString(const VersionResource& resource) {
  std::string blockName;
  if (!resource.translations.empty()) blockName = TranslationBlockName(resource.translations.front());
  const auto block = resource.stringBlocks.find(blockName);
  if (block == resource.stringBlocks.end()) return {};
  const auto entry = block->second.find(kFileVersionKey);
  return entry != block->second.end() ? entry->second : std::string();
}

std::string FileVersionString() { return FileVersionString(ProgramVersionResource()); }

}  // namespace lum
