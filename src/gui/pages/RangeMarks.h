#pragma once

#include "data/ConfigBlock.h"

namespace lum {

class TFormLUM;

/// Marks every control of the pages that shows a value of `block` outside its field's range (a
/// write refuses it): a red frame, and a tip that names the value held and the range. A
/// control whose field is in range loses its mark. `channel` is the output the load page shows.
void MarkValuesOutOfRange(TFormLUM& window, const TCONFIG_BLOCK& block, int channel);

}  // namespace lum
