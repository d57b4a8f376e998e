#include "device/WriteChanges.h"

#include <fmt/format.h>

namespace lum {

std::vector<FieldChange> WriteChanges(const TCONFIG_BLOCK& target, const TCONFIG_BLOCK& source) {
  std::vector<FieldChange> changes;
  for (const WriteRequest& request : PlanWrite(source))
    for (const SentField& sent : request.fields) {
      const uint16_t held = ReadField(target, sent.field);
      if (held != sent.value) changes.push_back({sent.field, held, sent.value});
    }
  return changes;
}

std::string ChangeValueText(const FieldRef& field, uint16_t value) { return FormatFieldValue(*field.field, value); }

std::vector<std::string> ChangeLines(const std::vector<FieldChange>& changes) {
  if (changes.empty()) return {"No change."};
  std::vector<std::string> lines;
  lines.reserve(changes.size());
  for (const FieldChange& change : changes)
    lines.push_back(fmt::format("{}: {} -> {}", FieldName(change.field), ChangeValueText(change.field, change.before),
                                ChangeValueText(change.field, change.after)));
  return lines;
}

}  // namespace lum
