#pragma once

#include <string>
#include <string_view>

namespace lum {

/// How a language or settings file is stored: GBK (code page 936) unless it begins with a
/// UTF-8 byte-order mark.
enum class TextEncoding { Gbk, Utf8Bom };

struct DecodedText {
  std::string utf8;  // without the byte-order mark
  TextEncoding encoding = TextEncoding::Gbk;
};

/// File bytes to UTF-8. Bytes that do not decode become U+FFFD, one per byte; never fails.
DecodedText DecodeFileText(std::string_view bytes);

/// UTF-8 to file bytes in the given encoding (with the mark for Utf8Bom). Characters that
/// GBK cannot hold and invalid UTF-8 bytes become "?"; never fails.
std::string EncodeFileText(std::string_view utf8, TextEncoding encoding);

}  // namespace lum
