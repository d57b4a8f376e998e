#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "upgrade/EffBuilder.h"
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

using lum::EffFields;
/// The core's file with the checksum group's ignored first byte set, to prove it is ignored.
std::vector<uint8_t> EffBytes(const EffFields& eff);
/// Bytes 0, 1, 2, ... (mod 256) offset by `seed`.
std::vector<uint8_t> Pattern(size_t length, uint8_t seed = 0);

}  // namespace lum::test
