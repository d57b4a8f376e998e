#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/ConfigBlock.h"

namespace lum {

/// One unit's values that differ from the job's configuration: JSON field paths of the
/// configuration (as `lumctl show --json` names them, e.g. "SCV" or
/// "Channels[0][1].Timing[4].Power") with raw numbers.
struct UnitOverride {
  uint32_t serialNumber = 0;
  std::vector<std::pair<std::string, int64_t>> values;
  int line = 0;  // in the CSV file, for messages
};

/// The per-unit overrides of a job: a CSV file whose header is "serial" and the field paths,
/// then one line per unit with its serial number as the window shows it ("0112345678") and a
/// value per field (an empty cell keeps the job's value).
class Overrides {
 public:
  /// Throws JobError naming the file, the line and the cell of anything that cannot be used.
  static Overrides Load(const std::string& path);
  static Overrides Parse(const std::string& text, const std::string& fileName);

  /// The unit's line, or null when the unit gets the job's configuration unchanged.
  const UnitOverride* For(uint32_t serialNumber) const;
  const std::vector<UnitOverride>& Units() const { return units_; }

 private:
  std::vector<UnitOverride> units_;
  std::string file_name_;
};

/// A value that differs between two blocks, by its JSON field path.
struct PathChange {
  std::string path;
  int64_t from = 0;
  int64_t to = 0;
};
/// Every number of the configuration's JSON form that differs, in document order.
std::vector<PathChange> ChangedFields(const TCONFIG_BLOCK& from, const TCONFIG_BLOCK& to);

/// The block with the unit's values set, checked as a JSON configuration is (ranges, field
/// names). Throws JobError naming the field.
TCONFIG_BLOCK ApplyOverride(const TCONFIG_BLOCK& base, const UnitOverride& unit, const std::string& where = {});

}  // namespace lum
