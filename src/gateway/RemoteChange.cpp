#include "gateway/RemoteChange.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "data/ConfigJson.h"
#include "device/WritePlan.h"

namespace lum::gateway {

namespace {

ChangeRequest Refuse(std::string why) { return {std::nullopt, std::move(why)}; }

// The current configuration with the named fields replaced; only fields the document has at
// its top level may be named.
std::optional<nlohmann::json> WithFields(const nlohmann::json& fields, const TCONFIG_BLOCK& current,
                                         std::string& refusal) {
  if (!fields.is_object() || fields.empty()) {
    refusal = fmt::format("\"{}\" must be an object naming at least one field", kFieldsKey);
    return std::nullopt;
  }
  nlohmann::json document = BlockToJson(current);
  for (const auto& [name, value] : fields.items()) {
    if (!document.contains(name) || !document[name].is_number()) {
      refusal = fmt::format("{}: not a single field of the configuration", name);
      return std::nullopt;
    }
    document[name] = value;
  }
  return document;
}

}  // namespace

std::optional<std::string> SerialOfCommand(const Topics& topics, const std::string& topic) {
  const std::string head = topics.Prefix() + "/";
  const std::string leaf = std::string("/") + Topics::kCommandLeaf;
  if (topic.size() <= head.size() + leaf.size() || topic.rfind(head, 0) != 0 ||
      topic.compare(topic.size() - leaf.size(), leaf.size(), leaf) != 0)
    return std::nullopt;
  std::string serial = topic.substr(head.size(), topic.size() - head.size() - leaf.size());
  if (serial.find('/') != std::string::npos) return std::nullopt;
  return serial;
}

ChangeRequest CheckChange(const std::string& payload, const TCONFIG_BLOCK* current) {
  if (payload.size() > kMaxCommandBytes)
    return Refuse(fmt::format("{} bytes: larger than {}", payload.size(), kMaxCommandBytes));
  if (current == nullptr) return Refuse("no controller of this serial number on this gateway");
  auto document = nlohmann::json::parse(payload, nullptr, false);
  if (document.is_discarded()) return Refuse("not JSON");
  if (!document.is_object()) return Refuse("not a JSON object");
  if (document.contains(kFieldsKey)) {
    std::string refusal;
    auto changed = WithFields(document[kFieldsKey], *current, refusal);
    if (!changed) return Refuse(refusal);
    document = std::move(*changed);
  }
  TCONFIG_BLOCK block;
  try {
    block = BlockFromJson(document);
  } catch (const ConfigJsonError& e) {
    return Refuse(e.what());
  } catch (const nlohmann::json::exception& e) {
    return Refuse(e.what());
  }
  if (block.ProductID() != current->ProductID())
    return Refuse(fmt::format("product {} is not the controller's {}", block.ProductID(), current->ProductID()));
  const auto outside = ValuesOutOfRange(block);
  if (!outside.empty()) {
    return Refuse(fmt::format("{}: {} is out of its range", FieldName(outside.front().field), outside.front().value));
  }
  return {block, {}};
}

}  // namespace lum::gateway
