#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "data/ConfigBlock.h"

namespace lum {

/// A JSON document that does not describe a block; what() names the field, for example
/// "Channels[0][1].Timing[4].Power: 300 is out of range (0 to 255)".
class ConfigJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Every field of the block as raw numbers (reserved bytes as arrays), all 12 x 4 channel
/// records with Timing and Timing2.
nlohmann::ordered_json BlockToJson(const TCONFIG_BLOCK& block);

/// The block a document describes. Reserved bytes, BattReserved and Timing2 may be left out
/// (they read as zero); every other field must be present. Unknown fields are refused.
TCONFIG_BLOCK BlockFromJson(const nlohmann::json& document);

}  // namespace lum
