#include "data/ConfigJson.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "data/NumberFormats.h"

namespace lum {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;
namespace L = block_layout;

constexpr char kTiming[] = "Timing";
constexpr char kTiming2[] = "Timing2";
constexpr char kReserved[] = "Reserved";

// One key of a region (the block before its channel table, or a channel record): a field,
// a timing table of five segments, or a run of bytes no field covers.
struct Item {
  size_t offset;
  size_t length;
  std::string name;
  const ConfigField* field = nullptr;       // a field
  FieldScope segments = FieldScope::Block;  // Timing or Timing2: a timing table
  bool optional = false;
};

bool IsTimingTable(FieldScope scope) { return scope == FieldScope::Timing || scope == FieldScope::Timing2; }

// The region's keys in the order of their bytes, with the uncovered runs between them:
// "Reserved" + offset in the block, "Reserved" in a channel record (with its offset when
// there are several).
std::vector<Item> Layout(FieldTable fields, bool channel) {
  const FieldScope scope = channel ? FieldScope::Channel : FieldScope::Block;
  std::vector<Item> items;
  for (const ConfigField& field : fields)
    if (field.scope == scope)
      items.push_back({field.offset, field.width, field.name, &field, scope, field.jsonOptional});
  if (channel) {
    const size_t tableSize = L::kSegmentSize * L::kSegments;
    for (const auto& [table, offset, name] : {std::tuple{FieldScope::Timing, L::kChTiming, kTiming},
                                              std::tuple{FieldScope::Timing2, L::kChTiming2, kTiming2}}) {
      bool optional = true;
      for (const ConfigField& field : fields)
        if (field.scope == table) optional = optional && field.jsonOptional;
      items.push_back({offset, tableSize, name, nullptr, table, optional});
    }
  }
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.offset < b.offset; });

  const size_t end = channel ? L::kChannelSize : L::kChannels;
  std::vector<Item> gaps;
  size_t covered = 0;
  for (size_t i = 0; i <= items.size(); ++i) {
    const size_t next = i < items.size() ? items[i].offset : end;
    if (next > covered)
      gaps.push_back(
          {covered, next - covered, fmt::format("{}{}", kReserved, covered), nullptr, FieldScope::Block, true});
    if (i < items.size()) covered = std::max(covered, items[i].offset + items[i].length);
  }
  if (channel && gaps.size() == 1) gaps.front().name = kReserved;
  items.insert(items.end(), gaps.begin(), gaps.end());
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.offset < b.offset; });
  return items;
}

uint32_t MaxOfWidth(size_t width) {
  return width >= sizeof(uint32_t) ? std::numeric_limits<uint32_t>::max() : (uint32_t{1} << (8 * width)) - 1;
}

ordered_json Bytes(const uint8_t* p, size_t length) {
  ordered_json list = ordered_json::array();
  for (size_t i = 0; i < length; ++i) list.push_back(p[i]);
  return list;
}

// The fields of one timing table, in the order of their bytes.
std::vector<const ConfigField*> SegmentFields(FieldTable fields, FieldScope table) {
  std::vector<const ConfigField*> result;
  for (const ConfigField& field : fields)
    if (field.scope == table) result.push_back(&field);
  std::sort(result.begin(), result.end(), [](auto* a, auto* b) { return a->offset < b->offset; });
  return result;
}

ordered_json Segments(const TCONFIG_BLOCK& block, FieldTable fields, FieldScope table, int g, int c) {
  ordered_json list = ordered_json::array();
  for (int k = 0; k < L::kSegments; ++k) {
    ordered_json segment = ordered_json::object();
    for (const ConfigField* field : SegmentFields(fields, table))
      segment[field->name] = ReadValue(block, *field, {g, c, k});
    list.push_back(std::move(segment));
  }
  return list;
}

ordered_json Region(const TCONFIG_BLOCK& block, FieldTable fields, bool channel, int g = 0, int c = 0) {
  ordered_json doc = ordered_json::object();
  const size_t base = channel ? L::ChannelOffset(g, c) : 0;
  for (const Item& item : Layout(fields, channel)) {
    if (item.field != nullptr)
      doc[item.name] = ReadValue(block, *item.field, {g, c, 0});
    else if (IsTimingTable(item.segments))
      doc[item.name] = Segments(block, fields, item.segments, g, c);
    else
      doc[item.name] = Bytes(block.data() + base + item.offset, item.length);
  }
  return doc;
}

// Reads a JSON object field by field, naming the path of whatever is wrong.
class Reader {
 public:
  Reader(const json& node, std::string path) : node_(node), path_(std::move(path)) {
    if (!node_.is_object()) Fail(path_, "must be an object");
    for (const auto& item : node_.items()) known_.insert(item.key());
  }

  // Call after reading every field.
  void RefuseUnknown() const {
    for (const auto& key : known_) Fail(Child(key), "is not a field of this record");
  }

  uint32_t Number(const std::string& key, uint32_t max, bool optional) {
    const json* value = Take(key.c_str(), optional);
    if (value == nullptr) return 0;
    return NumberAt(*value, Child(key), max);
  }

  const json* Array(const std::string& key, size_t size, bool optional = false) {
    const json* value = Take(key.c_str(), optional);
    if (value == nullptr) return nullptr;
    if (!value->is_array() || value->size() != size) Fail(Child(key), fmt::format("must be a list of {} items", size));
    return value;
  }

  std::string Child(const std::string& key) const { return path_.empty() ? key : path_ + "." + key; }

  static uint32_t NumberAt(const json& value, const std::string& path, uint32_t max) {
    if (value.is_number_unsigned() && value.get<uint64_t>() <= max) return static_cast<uint32_t>(value.get<uint64_t>());
    if (value.is_number_integer() || value.is_number_unsigned())
      Fail(path, fmt::format("{} is out of range (0 to {})", value.dump(), max));
    Fail(path, fmt::format("must be a whole number from 0 to {}, not {}", max, value.dump()));
  }

  [[noreturn]] static void Fail(const std::string& path, const std::string& what) {
    throw ConfigJsonError(fmt::format("{}: {}", path.empty() ? "document" : path, what));
  }

  const json* Take(const char* key, bool optional = false) {
    const auto it = node_.find(key);
    if (it == node_.end()) {
      if (!optional) Fail(Child(key), "is missing");
      return nullptr;
    }
    known_.erase(key);
    return &*it;
  }

 private:
  const json& node_;
  std::string path_;
  std::set<std::string> known_;
};

void ReadBytes(Reader& reader, const Item& run, uint8_t* base) {
  const json* list = reader.Array(run.name, run.length, true);
  if (list == nullptr) return;
  constexpr uint32_t kByteMax = 0xFF;
  for (size_t i = 0; i < run.length; ++i)
    base[run.offset + i] =
        static_cast<uint8_t>(Reader::NumberAt((*list)[i], fmt::format("{}[{}]", reader.Child(run.name), i), kByteMax));
}

void ReadSegments(Reader& reader, const Item& item, FieldTable fields, TCONFIG_BLOCK& block, int g, int c) {
  const json* list = reader.Array(item.name, L::kSegments, item.optional);
  if (list == nullptr) return;
  for (int k = 0; k < L::kSegments; ++k) {
    Reader segment((*list)[static_cast<size_t>(k)], fmt::format("{}[{}]", reader.Child(item.name), k));
    for (const ConfigField* field : SegmentFields(fields, item.segments))
      WriteValue(block, *field, {g, c, k}, segment.Number(field->name, MaxOfWidth(field->width), false));
    segment.RefuseUnknown();
  }
}

void ReadRegion(Reader& reader, FieldTable fields, TCONFIG_BLOCK& block, bool channel, int g = 0, int c = 0) {
  uint8_t* base = block.data() + (channel ? L::ChannelOffset(g, c) : 0);
  for (const Item& item : Layout(fields, channel)) {
    if (item.field != nullptr)
      WriteValue(block, *item.field, {g, c, 0}, reader.Number(item.name, MaxOfWidth(item.length), item.optional));
    else if (IsTimingTable(item.segments))
      ReadSegments(reader, item, fields, block, g, c);
    else
      ReadBytes(reader, item, base);
  }
}

// Documents of this format name and version or older, and those from before the format had a
// name (no Format key), are read; a newer version or another format is refused.
void CheckFormat(Reader& reader, const json& document) {
  const auto format = document.find(json_format::kFormatKey);
  if (format == document.end()) return;
  if (*format != json_format::kFormatName)
    Reader::Fail(json_format::kFormatKey, fmt::format("{} is not \"{}\"", format->dump(), json_format::kFormatName));
  reader.Take(json_format::kFormatKey);
  const uint32_t version = reader.Number(json_format::kVersionKey, std::numeric_limits<uint32_t>::max(), false);
  if (version > json_format::kVersion)
    Reader::Fail(json_format::kVersionKey, fmt::format("{} is newer than this lumctl reads ({}); use a newer lumctl",
                                                       version, json_format::kVersion));
  if (document.contains(json_format::kUnitsKey)) reader.Take(json_format::kUnitsKey);
}

// The unit a field's number is stored in: the shown unit divided by the field's scale.
std::string StoredUnit(const ConfigField& field) {
  std::string unit = field.unit;
  if (unit.empty() || field.scale == 1) return unit;
  if (field.scale == kScaleMilli) return "m" + unit;
  return fmt::format("{} m{}", kScaleMilli / field.scale, unit);
}

std::string UnitPath(const ConfigField& field) {
  switch (field.scope) {
    case FieldScope::Block:
      return field.name;
    case FieldScope::Channel:
      return fmt::format("Channels[][].{}", field.name);
    case FieldScope::Timing:
      return fmt::format("Channels[][].{}[].{}", kTiming, field.name);
    case FieldScope::Timing2:
      return fmt::format("Channels[][].{}[].{}", kTiming2, field.name);
  }
  return field.name;
}

}  // namespace

ordered_json BlockToJson(const TCONFIG_BLOCK& block, FieldTable fields) {
  ordered_json doc;
  doc[json_format::kFormatKey] = json_format::kFormatName;
  doc[json_format::kVersionKey] = json_format::kVersion;
  doc.update(Region(block, fields, false));
  ordered_json groups = ordered_json::array();
  for (int g = 0; g < L::kGroups; ++g) {
    ordered_json group = ordered_json::array();
    for (int c = 0; c < L::kChannelsPerGroup; ++c) group.push_back(Region(block, fields, true, g, c));
    groups.push_back(std::move(group));
  }
  doc["Channels"] = std::move(groups);
  ordered_json units = ordered_json::object();
  for (const ConfigField& field : fields)
    if (*field.unit != '\0') units[UnitPath(field)] = StoredUnit(field);
  doc[json_format::kUnitsKey] = std::move(units);
  return doc;
}

TCONFIG_BLOCK BlockFromJson(const json& document, FieldTable fields) {
  TCONFIG_BLOCK block;
  Reader reader(document, "");
  CheckFormat(reader, document);
  ReadRegion(reader, fields, block, false);
  const json* groups = reader.Array("Channels", L::kGroups);
  for (int g = 0; g < L::kGroups; ++g) {
    const json& group = (*groups)[static_cast<size_t>(g)];
    const std::string groupPath = fmt::format("Channels[{}]", g);
    if (!group.is_array() || group.size() != L::kChannelsPerGroup)
      Reader::Fail(groupPath, fmt::format("must be a list of {} items", L::kChannelsPerGroup));
    for (int c = 0; c < L::kChannelsPerGroup; ++c) {
      Reader channel(group[static_cast<size_t>(c)], fmt::format("{}[{}]", groupPath, c));
      ReadRegion(channel, fields, block, true, g, c);
      channel.RefuseUnknown();
    }
  }
  reader.RefuseUnknown();
  return block;
}

}  // namespace lum
