#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace lum {

/// One typed argument for a message text: a number or a text.
using FormatArg = std::variant<int64_t, std::string>;

/// Fills the printf-style placeholders of a user-editable text (%s, %d, %u, %x, %X, %p with
/// flags, width and precision such as %.2d or %.8X, and %%) from typed arguments.
/// The text is never trusted: when a placeholder does not fit its argument, is unknown
/// (%n, %f, ...) or has no argument left, the text is returned as it stands.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace lum
