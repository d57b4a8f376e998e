#pragma once

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

namespace lum {

/// Channel records of group 0 that "New File" starts with the fields' start values: the
/// pages show two outputs.
inline constexpr int kNewFileChannels = 2;

/// The block of the "New File" entry as start-up leaves it: the pages' initial values (the
/// table's start values) stored into NewFileBaseBlock.
/// The main window checks its own StorePages result against this.
TCONFIG_BLOCK NewFileStartBlock(FieldTable fields = ConfigFields());

/// The zero block with the start values of the channel and segment fields in the first kNewFileChannels
/// channel records of group 0 (work mode 1), before the pages are stored into it.
TCONFIG_BLOCK NewFileBaseBlock(FieldTable fields = ConfigFields());

}  // namespace lum
