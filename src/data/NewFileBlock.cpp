#include "data/NewFileBlock.h"

namespace lum {

TCONFIG_BLOCK NewFileBaseBlock(FieldTable fields) {
  TCONFIG_BLOCK block;
  for (const ConfigField& field : fields) {
    if (field.scope == FieldScope::Block) continue;
    const int segments = field.scope == FieldScope::Channel ? 1 : block_layout::kSegments;
    for (int c = 0; c < kNewFileChannels; ++c)
      for (int k = 0; k < segments; ++k) WriteValue(block, field, {0, c, k}, field.start);
  }
  return block;
}

TCONFIG_BLOCK NewFileStartBlock(FieldTable fields) {
  TCONFIG_BLOCK block = NewFileBaseBlock(fields);
  for (const ConfigField& field : fields)
    if (field.scope == FieldScope::Block) WriteValue(block, field, {}, field.start);
  return block;
}

}  // namespace lum
