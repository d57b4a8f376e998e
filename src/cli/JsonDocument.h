#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lum::cli {

/// A text that is no acceptable JSON document; what() says what is wrong, for example
/// "the key \"Mode\" appears twice in Channels[0][1]".
class JsonDocumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Limits of the documents lumctl reads: far above what show --json prints (about 60 KB,
/// six levels deep).
inline constexpr size_t kMaxJsonBytes = 4 * 1024 * 1024;
inline constexpr size_t kMaxJsonDepth = 64;

/// Parses a JSON document strictly: refuses invalid JSON, a number that no double can hold
/// (1e400), nesting deeper than kMaxJsonDepth and a key that appears twice in one object.
/// Works without recursion, so no input can exhaust the stack.
nlohmann::json ParseJsonDocument(std::string_view text);

/// Reads and parses a JSON file: a file over kMaxJsonBytes is refused as too large, and
/// anything but a regular file is refused unread. Throws base's FileError when the file
/// cannot be read, JsonDocumentError when its text is refused.
nlohmann::json ReadJsonFile(const std::string& path);

}  // namespace lum::cli
