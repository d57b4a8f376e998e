#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lum {

/// Equal but for the letter case of ASCII letters, as file names are matched on the system
/// the files come from.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

/// The text with its ASCII capitals made small; other bytes stay.
std::string LowerAscii(std::string text);

/// A count with its English noun: "1 recording", "0 recordings", "2 polls".
std::string CountOf(size_t count, std::string_view one, std::string_view many);

}  // namespace lum
