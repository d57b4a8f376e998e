#pragma once

#include <string>

#include "cli/CliContext.h"
#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

namespace lum::cli {

/// Every field of a configuration block for people, one line each, as lumctl show prints
/// it: the fields of the table in the order of their bytes ("BattOVP: 14.40 V"), the
/// device type, flags and capabilities in words, then the channels of the device type.
std::string BlockText(const CliContext& context, const std::string& path, const TCONFIG_BLOCK& block,
                      FieldTable fields = ConfigFields());

}  // namespace lum::cli
