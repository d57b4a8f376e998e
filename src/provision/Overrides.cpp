#include "provision/Overrides.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <set>
#include <sstream>

#include "base/AsciiText.h"
#include "data/ConfigJson.h"
#include "data/NumberFormats.h"
#include "provision/JobError.h"
#include "provision/JobFile.h"

namespace lum {

namespace {
constexpr const char* kSerialColumn = "serial";

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  std::string cell = text.substr(first, last - first + 1);
  if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = cell.substr(1, cell.size() - 2);
  return cell;
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream stream(line);
  std::string cell;
  while (std::getline(stream, cell, ',')) cells.push_back(Trim(cell));
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

// Walks "Name[i][j].Name" through the document to the number it names.
nlohmann::ordered_json* FindNumber(nlohmann::ordered_json& document, const std::string& path) {
  nlohmann::ordered_json* node = &document;
  size_t i = 0;
  while (i < path.size()) {
    if (path[i] == '[') {
      const size_t close = path.find(']', i);
      if (close == std::string::npos || !node->is_array()) return nullptr;
      size_t index = 0;
      const auto [end, error] = std::from_chars(path.data() + i + 1, path.data() + close, index);
      if (error != std::errc() || end != path.data() + close || index >= node->size()) return nullptr;
      node = &(*node)[index];
      i = close + 1;
    } else {
      if (path[i] == '.') ++i;
      const size_t end = path.find_first_of(".[", i);
      const std::string name = path.substr(i, end == std::string::npos ? std::string::npos : end - i);
      if (name.empty() || !node->is_object() || !node->contains(name)) return nullptr;
      node = &(*node)[name];
      i = end == std::string::npos ? path.size() : end;
    }
  }
  return node->is_number() ? node : nullptr;
}
void Flatten(const nlohmann::ordered_json& node, const std::string& path,
             std::vector<std::pair<std::string, int64_t>>& numbers) {
  if (node.is_object()) {
    for (const auto& item : node.items())
      Flatten(item.value(), path.empty() ? item.key() : path + "." + item.key(), numbers);
  } else if (node.is_array()) {
    for (size_t i = 0; i < node.size(); ++i) Flatten(node[i], fmt::format("{}[{}]", path, i), numbers);
  } else if (node.is_number()) {
    numbers.emplace_back(path, node.get<int64_t>());
  }
}
}  // namespace

std::vector<PathChange> ChangedFields(const TCONFIG_BLOCK& from, const TCONFIG_BLOCK& to) {
  std::vector<std::pair<std::string, int64_t>> before, after;
  Flatten(BlockToJson(from), {}, before);
  Flatten(BlockToJson(to), {}, after);
  std::vector<PathChange> changes;
  for (size_t i = 0; i < before.size() && i < after.size(); ++i)
    if (before[i].second != after[i].second) changes.push_back({before[i].first, before[i].second, after[i].second});
  return changes;
}

Overrides Overrides::Load(const std::string& path) { return Parse(ReadJobFile(path), path); }

Overrides Overrides::Parse(const std::string& text, const std::string& fileName) {
  Overrides overrides;
  overrides.file_name_ = fileName;
  std::stringstream stream(text);
  std::string line;
  std::vector<std::string> header;
  std::set<uint32_t> seen;
  const TCONFIG_BLOCK probe;
  int number = 0;
  while (std::getline(stream, line)) {
    ++number;
    if (Trim(line).empty()) continue;
    const auto where = [&](const std::string& what) {
      return JobError(fmt::format("{} line {}: {}", fileName, number, what));
    };
    std::vector<std::string> cells = Cells(line);
    if (header.empty()) {
      if (cells.empty() || !EqualsIgnoringCase(cells[0], kSerialColumn))
        throw where(fmt::format("the first column must be \"{}\"", kSerialColumn));
      header = cells;
      // Every column must name a number of the configuration.
      auto document = BlockToJson(probe);
      for (size_t c = 1; c < header.size(); ++c)
        if (!FindNumber(document, header[c])) throw where("'" + header[c] + "' is not a field of the configuration");
      continue;
    }
    if (cells.size() > header.size()) throw where("more cells than the header names");
    UnitOverride unit;
    unit.line = number;
    const auto serial = ParseSerial(cells[0]);
    if (!serial) throw where("'" + cells[0] + "' is not a serial number like 0112345678");
    if (!seen.insert(*serial).second) throw where("serial number " + cells[0] + " is listed twice");
    unit.serialNumber = *serial;
    for (size_t c = 1; c < cells.size(); ++c) {
      if (cells[c].empty()) continue;
      int64_t value = 0;
      const auto [end, error] = std::from_chars(cells[c].data(), cells[c].data() + cells[c].size(), value);
      if (error != std::errc() || end != cells[c].data() + cells[c].size())
        throw where(header[c] + ": '" + cells[c] + "' is not a whole number");
      unit.values.emplace_back(header[c], value);
    }
    overrides.units_.push_back(std::move(unit));
  }
  return overrides;
}

const UnitOverride* Overrides::For(uint32_t serialNumber) const {
  const auto found = std::find_if(units_.begin(), units_.end(),
                                  [&](const UnitOverride& unit) { return unit.serialNumber == serialNumber; });
  return found == units_.end() ? nullptr : &*found;
}

TCONFIG_BLOCK ApplyOverride(const TCONFIG_BLOCK& base, const UnitOverride& unit, const std::string& where) {
  auto document = BlockToJson(base);
  for (const auto& [path, value] : unit.values) {
    nlohmann::ordered_json* number = FindNumber(document, path);
    if (!number) throw JobError(fmt::format("{}'{}' is not a field of the configuration", where, path));
    *number = value;
  }
  try {
    return BlockFromJson(nlohmann::json::parse(document.dump()));
  } catch (const ConfigJsonError& e) {
    throw JobError(where + e.what());
  }
}

}  // namespace lum
