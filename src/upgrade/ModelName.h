#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data/TypeTables.h"
#include "language/MessageTable.h"

namespace lum {

/// The names of the device type list, row by row (the table's names, or a language's).
using ModelNames = std::array<std::string, kDeviceTypeCount>;

/// The device type table's own names.
ModelNames DefaultModelNames();

/// The name of the model whose product code equals the ID's model bits (top byte and lowest
/// four bits ignored; with equal codes the later row wins), or the text of Msg_2.
std::string ModelNameForId(uint32_t deviceId, const ModelNames& names, const MessageTable& messages);

/// Whether any row matches, by the same rule.
bool IsKnownModel(uint32_t deviceId);

}  // namespace lum
