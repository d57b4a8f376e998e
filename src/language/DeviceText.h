#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace lum {

/// A text a controller sent (its model, ...) as people are shown it: UTF-8 as it stands,
/// otherwise GBK as Chinese controllers send it; bytes that decode in neither become U+FFFD.
std::string DeviceText(std::string_view bytes);

/// Suffix of the key or column that carries a controller text's bytes (in hex) beside its
/// text: "model" and "model_bytes".
inline constexpr char kDeviceTextBytesSuffix[] = "_bytes";

/// Puts a controller text into a JSON object without loss: `key` holds DeviceText(bytes), and
/// `key` + kDeviceTextBytesSuffix the bytes as the controller sent them, in hex.
void PutDeviceText(nlohmann::ordered_json& object, const std::string& key, std::string_view bytes);

/// Any text (a controller's, a file's, a database's) for a terminal: decoded as DeviceText,
/// then every control character (C0, DEL, C1) written as an escape such as \x1B or \u009B,
/// so that no text can move the cursor, rewrite the screen or break a line.
std::string TerminalText(std::string_view bytes);

}  // namespace lum
