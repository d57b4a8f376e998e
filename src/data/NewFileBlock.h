#pragma once

#include "data/ConfigBlock.h"

namespace lum {

/// The block of the "New File" entry as start-up leaves it: the pages' initial values
/// stored into a zero block whose first two channel records have work mode 1.
/// The main window checks its own StorePages result against this.
TCONFIG_BLOCK NewFileStartBlock();

/// The zero block with the Mode byte of channel records 0 and 1 of group 0 set to 1,
/// before the pages are stored into it.
TCONFIG_BLOCK NewFileBaseBlock();

}  // namespace lum
