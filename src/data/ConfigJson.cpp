#include "data/ConfigJson.h"

#include <fmt/format.h>

#include <array>
#include <cstddef>
#include <limits>
#include <set>
#include <string>

namespace lum {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;
namespace L = block_layout;

// Reserved byte runs of the block and of a channel record: name, offset, length.
struct ReservedRun {
  const char* name;
  size_t offset;
  size_t length;
};
constexpr ReservedRun Between(const char* name, size_t fieldEnd, size_t nextField) {
  return {name, fieldEnd, nextField - fieldEnd};
}
constexpr size_t kByte = 1;
constexpr size_t kWord = 2;
constexpr ReservedRun kBlockReserved[] = {Between("Reserved18", L::kBattReserved + kWord, L::kSCV),
                                          Between("Reserved27", L::kSCDelay + kByte, L::kChannels)};
constexpr ReservedRun kChannelReserved = Between("Reserved", L::kChMode + kByte, L::kChCC);

ordered_json Bytes(const uint8_t* p, size_t length) {
  ordered_json list = ordered_json::array();
  for (size_t i = 0; i < length; ++i) list.push_back(p[i]);
  return list;
}

ordered_json Segments(const ConstChannel& channel, bool second) {
  ordered_json list = ordered_json::array();
  for (int k = 0; k < L::kSegments; ++k) {
    const ConstTimeSegment s = second ? channel.Timing2(k) : channel.Timing(k);
    list.push_back({{"Minutes", s.Minutes()}, {"Power", s.Power()}});
  }
  return list;
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

  template <typename T>
  T Number(const char* key, bool optional = false) {
    const json* value = Take(key, optional);
    if (value == nullptr) return 0;
    return NumberAt<T>(*value, Child(key));
  }

  const json* Array(const char* key, size_t size, bool optional = false) {
    const json* value = Take(key, optional);
    if (value == nullptr) return nullptr;
    if (!value->is_array() || value->size() != size) Fail(Child(key), fmt::format("must be a list of {} items", size));
    return value;
  }

  std::string Child(const std::string& key) const { return path_.empty() ? key : path_ + "." + key; }

  template <typename T>
  static T NumberAt(const json& value, const std::string& path) {
    constexpr auto kMax = std::numeric_limits<T>::max();
    if (value.is_number_unsigned() && value.get<uint64_t>() <= kMax) return static_cast<T>(value.get<uint64_t>());
    if (value.is_number_integer() || value.is_number_unsigned())
      Fail(path, fmt::format("{} is out of range (0 to {})", value.dump(), kMax));
    Fail(path, fmt::format("must be a whole number from 0 to {}, not {}", kMax, value.dump()));
  }

  [[noreturn]] static void Fail(const std::string& path, const std::string& what) {
    throw ConfigJsonError(fmt::format("{}: {}", path.empty() ? "document" : path, what));
  }

 private:
  const json* Take(const char* key, bool optional) {
    const auto it = node_.find(key);
    if (it == node_.end()) {
      if (!optional) Fail(Child(key), "is missing");
      return nullptr;
    }
    known_.erase(key);
    return &*it;
  }

  const json& node_;
  std::string path_;
  std::set<std::string> known_;
};

void ReadBytes(Reader& reader, const ReservedRun& run, uint8_t* base) {
  const json* list = reader.Array(run.name, run.length, true);
  if (list == nullptr) return;
  for (size_t i = 0; i < run.length; ++i)
    base[run.offset + i] = Reader::NumberAt<uint8_t>((*list)[i], fmt::format("{}[{}]", reader.Child(run.name), i));
}

void ReadSegments(Reader& reader, const char* key, TCHANNEL_CONFIG& channel, bool second) {
  const json* list = reader.Array(key, L::kSegments, second);
  if (list == nullptr) return;
  for (int k = 0; k < L::kSegments; ++k) {
    Reader segment((*list)[static_cast<size_t>(k)], fmt::format("{}[{}]", reader.Child(key), k));
    TTIME_SEGMENT s = second ? channel.Timing2(k) : channel.Timing(k);
    s.SetMinutes(segment.Number<uint16_t>("Minutes"));
    s.SetPower(segment.Number<uint8_t>("Power"));
    segment.RefuseUnknown();
  }
}

void ReadChannel(const json& node, const std::string& path, TCHANNEL_CONFIG channel, uint8_t* record) {
  Reader reader(node, path);
  channel.SetMode(reader.Number<uint8_t>("Mode"));
  ReadBytes(reader, kChannelReserved, record);
  channel.SetCC(reader.Number<uint16_t>("CC"));
  channel.SetCV(reader.Number<uint16_t>("CV"));
  ReadSegments(reader, "Timing", channel, false);
  ReadSegments(reader, "Timing2", channel, true);
  reader.RefuseUnknown();
}

}  // namespace

ordered_json BlockToJson(const TCONFIG_BLOCK& block) {
  ordered_json doc;
  doc["ProductID"] = block.ProductID();
  doc["FuncFlags"] = block.FuncFlags();
  doc["Address"] = block.Address();
  doc["OTP"] = block.OTP();
  doc["CapFlags"] = block.CapFlags();
  doc["BattOVP"] = block.BattOVP();
  doc["BattFCV"] = block.BattFCV();
  doc["BattUVP"] = block.BattUVP();
  doc["BattUVR"] = block.BattUVR();
  doc["BattReserved"] = block.BattReserved();
  doc[kBlockReserved[0].name] = Bytes(block.data() + kBlockReserved[0].offset, kBlockReserved[0].length);
  doc["SCV"] = block.SCV();
  doc["SCDelay"] = block.SCDelay();
  doc[kBlockReserved[1].name] = Bytes(block.data() + kBlockReserved[1].offset, kBlockReserved[1].length);
  ordered_json groups = ordered_json::array();
  for (int g = 0; g < L::kGroups; ++g) {
    ordered_json group = ordered_json::array();
    for (int c = 0; c < L::kChannelsPerGroup; ++c) {
      const ConstChannel channel = block.Channel(g, c);
      const uint8_t* record = block.data() + L::ChannelOffset(g, c);
      ordered_json item;
      item["Mode"] = channel.Mode();
      item[kChannelReserved.name] = Bytes(record + kChannelReserved.offset, kChannelReserved.length);
      item["CC"] = channel.CC();
      item["CV"] = channel.CV();
      item["Timing"] = Segments(channel, false);
      item["Timing2"] = Segments(channel, true);
      group.push_back(std::move(item));
    }
    groups.push_back(std::move(group));
  }
  doc["Channels"] = std::move(groups);
  return doc;
}

TCONFIG_BLOCK BlockFromJson(const json& document) {
  TCONFIG_BLOCK block;
  Reader reader(document, "");
  block.SetProductID(reader.Number<uint32_t>("ProductID"));
  block.SetFuncFlags(reader.Number<uint8_t>("FuncFlags"));
  block.SetAddress(reader.Number<uint8_t>("Address"));
  block.SetOTP(reader.Number<uint8_t>("OTP"));
  block.SetCapFlags(reader.Number<uint8_t>("CapFlags"));
  block.SetBattOVP(reader.Number<uint16_t>("BattOVP"));
  block.SetBattFCV(reader.Number<uint16_t>("BattFCV"));
  block.SetBattUVP(reader.Number<uint16_t>("BattUVP"));
  block.SetBattUVR(reader.Number<uint16_t>("BattUVR"));
  block.SetBattReserved(reader.Number<uint16_t>("BattReserved", true));
  block.SetSCV(reader.Number<uint16_t>("SCV"));
  block.SetSCDelay(reader.Number<uint8_t>("SCDelay"));
  for (const auto& run : kBlockReserved) ReadBytes(reader, run, block.data());

  const json* groups = reader.Array("Channels", L::kGroups);
  for (int g = 0; g < L::kGroups; ++g) {
    const json& group = (*groups)[static_cast<size_t>(g)];
    const std::string groupPath = fmt::format("Channels[{}]", g);
    if (!group.is_array() || group.size() != L::kChannelsPerGroup)
      Reader::Fail(groupPath, fmt::format("must be a list of {} items", L::kChannelsPerGroup));
    for (int c = 0; c < L::kChannelsPerGroup; ++c)
      ReadChannel(group[static_cast<size_t>(c)], fmt::format("{}[{}]", groupPath, c), block.Channel(g, c),
                  block.data() + L::ChannelOffset(g, c));
  }
  reader.RefuseUnknown();
  return block;
}

}  // namespace lum
