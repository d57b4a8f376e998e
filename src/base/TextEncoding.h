#pragma once

#include <string>
#include <string_view>

namespace lum {

/// How a language or settings file is stored: GBK (code page 936) unless it is UTF-8, marked
/// by a byte-order mark or recognised as valid UTF-8 with characters beyond ASCII. Characters
/// that code page 936 lacks are stored in their GB18030 form, so that no text is lost.
enum class TextEncoding { Gbk, Utf8, Utf8Bom };

struct DecodedText {
  std::string utf8;  // without the byte-order mark
  TextEncoding encoding = TextEncoding::Gbk;
};

/// The encoding of file bytes (see TextEncoding).
TextEncoding DetectEncoding(std::string_view bytes);

/// The byte-order mark that files of the encoding start with ("" for none).
std::string_view ByteOrderMark(TextEncoding encoding);

/// Text bytes in the encoding (without the mark) to UTF-8. Bytes that do not decode become
/// U+FFFD, one per byte; never fails.
std::string DecodeText(std::string_view bytes, TextEncoding encoding);

/// UTF-8 to text bytes in the encoding (without the mark). Invalid UTF-8 bytes become "?";
/// never fails.
std::string EncodeText(std::string_view utf8, TextEncoding encoding);

/// Whole file bytes to UTF-8, the encoding recognised.
DecodedText DecodeFileText(std::string_view bytes);

/// UTF-8 to whole file bytes in the given encoding (with the mark for Utf8Bom).
std::string EncodeFileText(std::string_view utf8, TextEncoding encoding);

}  // namespace lum
