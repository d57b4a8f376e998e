#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "upgrade/EffContent.h"
#include "upgrade/UpgradeMemo.h"

namespace lum::test {

/// An UpgradeMemo that keeps the memo's lines, the information fields and every progress value.
class MemoRecorder : public UpgradeMemo {
 public:
  void SetText(const std::string& text) override { lines = {text}; }
  void AddLine(const std::string& text) override { lines.push_back(text); }
  void EndLine(const std::string& text) override;
  void SetFileName(const std::string& name) override { fileName = name; }
  void SetFirmwareVersion(const std::string& text) override { firmwareVersion = text; }
  void SetDescription(const std::string& text) override { description = text; }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void ProcessEvents() override { ++processEvents; }

  std::vector<std::string> lines;
  std::optional<std::string> fileName;
  std::optional<std::string> firmwareVersion;
  std::optional<std::string> description;
  std::vector<int> progress;
  int processEvents = 0;
};

/// The fields of an upgrade file to build; the checksum is computed unless given.
struct EffFields {
  std::string magic = "EFF";
  std::string fileVersion = "1.0";
  uint8_t extensionLength = 12;
  uint8_t blockSize = 8;
  std::optional<uint8_t> dataBlocks;  // default: enough for `data`
  std::optional<uint32_t> checksum;   // 24 bits
  uint32_t deviceId = 0x00515610;
  uint16_t version = 123;
  uint16_t build = 7;
  std::vector<uint8_t> data;
  std::vector<uint8_t> image;
};

std::vector<uint8_t> BuildEff(const EffFields& eff);
/// Bytes 0, 1, 2, ... (mod 256) offset by `seed`.
std::vector<uint8_t> Pattern(size_t length, uint8_t seed = 0);

}  // namespace lum::test
