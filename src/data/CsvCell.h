#pragma once

#include <string>
#include <string_view>

namespace lum {

/// One cell of a comma-separated file, safe to open in a spreadsheet. A cell that begins with
/// '=', '+', '-', '@', a tab or a carriage return would be taken as a formula, so it gets a
/// leading apostrophe, which spreadsheets show as text; a plain decimal number such as -5.2,
/// +3 or -1.5e3 is read as that number and no formula, so it stays as it is. A cell holding a
/// comma, a quote or a line break is then quoted.
std::string CsvCell(std::string_view text);

}  // namespace lum
