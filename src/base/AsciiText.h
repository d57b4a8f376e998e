#pragma once

#include <string>
#include <string_view>

namespace lum {

/// Equal but for the letter case of ASCII letters, as file names are matched on the system
/// the files come from.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

/// The text with its ASCII capitals made small; other bytes stay.
std::string LowerAscii(std::string text);

}  // namespace lum
