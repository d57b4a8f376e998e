#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "data/ConfigFields.h"

namespace lum {

/// The rows one request carries, in the order of the table; its scope is that of its first row.
struct FieldRequest {
  uint8_t command;
  FieldScope scope;
  std::vector<const ConfigField*> rows;
};

/// The requests of the rows `keep` takes, in the order of their first rows in the table.
template <typename Keep>
std::vector<FieldRequest> RequestsOf(FieldTable fields, Keep keep) {
  std::vector<FieldRequest> requests;
  for (const ConfigField& field : fields) {
    if (!keep(field)) continue;
    const auto same = std::find_if(requests.begin(), requests.end(),
                                   [&](const FieldRequest& r) { return r.command == field.command; });
    if (same == requests.end())
      requests.push_back({field.command, field.scope, {&field}});
    else
      same->rows.push_back(&field);
  }
  return requests;
}

/// True for the scopes whose requests go once per segment.
inline bool PerSegment(FieldScope scope) { return scope == FieldScope::Timing || scope == FieldScope::Timing2; }

}  // namespace lum
