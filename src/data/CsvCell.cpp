#include "data/CsvCell.h"

#include <regex>

namespace lum {

namespace {
constexpr std::string_view kFormulaStarts = "=+-@\t\r";
constexpr std::string_view kNeedsQuotes = ",\"\r\n";
constexpr char kTextMark = '\'';

bool IsPlainNumber(std::string_view text) {
  static const std::regex kNumber(R"([+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?)");
  return std::regex_match(text.begin(), text.end(), kNumber);
}
}  // namespace

std::string CsvCell(std::string_view text) {
  std::string cell(text);
  if (!cell.empty() && kFormulaStarts.find(cell.front()) != std::string_view::npos && !IsPlainNumber(cell))
    cell.insert(cell.begin(), kTextMark);
  if (cell.find_first_of(kNeedsQuotes) == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace lum
