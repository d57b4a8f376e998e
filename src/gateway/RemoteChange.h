#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "data/ConfigBlock.h"
#include "gateway/Topics.h"

namespace lum::gateway {

/// Commands larger than this are refused unread.
inline constexpr size_t kMaxCommandBytes = 64 * 1024;
/// A command that changes single fields names them under this key: {"Fields": {"BattOVP": 14400}}.
inline constexpr char kFieldsKey[] = "Fields";

/// The block a command asks for, or why it is refused; nothing is sent for a refused one.
struct ChangeRequest {
  std::optional<TCONFIG_BLOCK> block;
  std::string refusal;
};

/// The serial number a command topic of this gateway names, or nullopt for any other topic.
std::optional<std::string> SerialOfCommand(const Topics& topics, const std::string& topic);

/// Checks a command from the broker, hostile input: its size, its JSON, the format and its
/// version, the fields' ranges and the product. `current` is the block last read from the
/// controller the topic names (null: no such controller here). A whole document replaces the
/// configuration; {"Fields": {...}} changes the named top-level fields of `current`.
ChangeRequest CheckChange(const std::string& payload, const TCONFIG_BLOCK* current);

}  // namespace lum::gateway
