#pragma once

#include "cli/CliContext.h"
#include "data/ConfigBlock.h"

namespace lum::cli {

/// Tells on stderr of every value of the block that a write would refuse, being outside its
/// field's range, named as the window names it. The file is used as it is.
void WarnOfValuesOutOfRange(const CliContext& context, const TCONFIG_BLOCK& block);

}  // namespace lum::cli
