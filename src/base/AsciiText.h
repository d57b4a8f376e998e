#pragma once

#include <string_view>

namespace lum {

/// Equal but for the letter case of ASCII letters, as file names are matched on the system
/// the files come from.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace lum
