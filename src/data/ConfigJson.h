#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

namespace lum {

/// The document format's name and version, carried by every document show --json prints.
namespace json_format {
inline constexpr char kFormatKey[] = "Format";
inline constexpr char kFormatName[] = "lum-config";
inline constexpr char kVersionKey[] = "FormatVersion";
inline constexpr unsigned kVersion = 1;
inline constexpr char kUnitsKey[] = "Units";
}  // namespace json_format

/// A JSON document that does not describe a block; what() names the field, for example
/// "Channels[0][1].Timing[4].Power: 300 is out of range (0 to 255)".
class ConfigJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Every field of the table as raw numbers in the order of the block, the bytes no field
/// covers as arrays ("Reserved18"), all 12 x 4 channel records with Timing and Timing2, after
/// the format's name and version, and followed by the unit each number is stored in.
nlohmann::ordered_json BlockToJson(const TCONFIG_BLOCK& block, FieldTable fields = ConfigFields());

/// The block a document describes. Uncovered bytes and the fields the table marks optional
/// (BattReserved, Timing2) may be left out (they read as zero); every other field must be
/// present. Unknown fields are refused. The format's keys may be left out (documents from
/// before they existed); another format or a newer version is refused.
TCONFIG_BLOCK BlockFromJson(const nlohmann::json& document, FieldTable fields = ConfigFields());

}  // namespace lum
