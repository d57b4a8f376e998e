#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
#include "device/WritePlan.h"

namespace lum {

/// A field a write would change: its value on the controller and the value sent.
struct FieldChange {
  FieldRef field;
  uint16_t before;
  uint16_t after;
  bool operator==(const FieldChange&) const = default;
};

/// What writing `source` would change on a controller that holds `target`: every field the
/// write sends (with its conditions) whose value there differs, in the order of the write.
/// Fields a write does not send are no changes: the controller keeps them.
std::vector<FieldChange> WriteChanges(const TCONFIG_BLOCK& target, const TCONFIG_BLOCK& source);

/// The value of a change with its unit, as the field table formats it: "14.40 V", "120 min".
std::string ChangeValueText(const FieldRef& field, uint16_t value);

/// The lines lumctl prints: "BattOVP: 14.40 V -> 14.60 V", one per change, or "No change.".
std::vector<std::string> ChangeLines(const std::vector<FieldChange>& changes);

}  // namespace lum
