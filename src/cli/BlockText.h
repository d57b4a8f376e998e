#pragma once

#include <string>

#include "cli/CliContext.h"
#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

namespace lum::cli {

/// How lumctl show names the fields: by the window's labels in the language in use
/// ("Charge cut-off: 14.40 V"), or by their internal names ("BattOVP: 14.40 V").
enum class FieldNames : uint8_t { Window, Raw };

/// Every field of a configuration block for people, one line each, as lumctl show prints
/// it: the fields of the table in the order of their bytes, the device type, flags and
/// capabilities in words, then the channels of the device type. Under the window's names,
/// fields the window does not show (reserved bytes) are left out.
std::string BlockText(const CliContext& context, const std::string& path, const TCONFIG_BLOCK& block,
                      FieldTable fields = ConfigFields(), FieldNames names = FieldNames::Window);

}  // namespace lum::cli
