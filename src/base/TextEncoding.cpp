#include "base/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>

namespace lum {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementGbk = "?";
constexpr char kGbkName[] = "CP936";
constexpr char kGb18030Name[] = "GB18030";
constexpr char kUtf8Name[] = "UTF-8";
constexpr size_t kOutputChunk = 4096;
constexpr size_t kInputChunk = 64;

// What replaces a sequence the converter refuses: how many input bytes it stands for, and
// the output written instead.
using Replacement = std::pair<size_t, std::string>;

unsigned char Byte(std::string_view text, size_t i) { return static_cast<unsigned char>(text[i]); }

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    // iconv_open reports failure as (iconv_t)-1.
    if (cd_ == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr)
      throw std::runtime_error(std::string("iconv lacks ") + from);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts input; at a sequence the converter refuses, replace(rest) says what to do.
  template <typename Replace>
  std::string Run(std::string_view input, Replace replace) {
    std::string out;
    char buffer[kOutputChunk];
    size_t pos = 0;
    while (pos < input.size()) {
      // Short input pieces: at a refused sequence the converter works the piece again from its
      // start, so whole-file pieces would make many refusals quadratic.
      const size_t piece = std::min(kInputChunk, input.size() - pos);
      char* in = const_cast<char*>(input.data() + pos);
      size_t inLeft = piece;
      char* outPtr = buffer;
      size_t outLeft = sizeof(buffer);
      const size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      pos += piece - inLeft;
      if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
      // A sequence cut off by the end of the piece is taken again with the next one.
      if (error == EINVAL && pos + inLeft < input.size() && piece - inLeft > 0) continue;
      // EILSEQ, or a sequence cut off at the very end: replace it and go on after it.
      const Replacement replacement = replace(input.substr(pos));
      pos += std::min(input.size() - pos, std::max<size_t>(1, replacement.first));
      out.append(replacement.second);
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

  // The conversion of the whole input, or nothing when any of it is refused.
  std::optional<std::string> Whole(std::string_view input) {
    bool refused = false;
    std::string out = Run(input, [&](std::string_view) {
      refused = true;
      return Replacement{1, ""};
    });
    if (refused) return std::nullopt;
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence that starts the text, so that a character GBK cannot hold is
// replaced once, not byte by byte.
size_t Utf8SequenceLength(std::string_view text) {
  const unsigned char lead = Byte(text, 0);
  size_t length = 1;
  if (lead >= 0xF0)
    length = 4;
  else if (lead >= 0xE0)
    length = 3;
  else if (lead >= 0xC0)
    length = 2;
  size_t valid = 1;
  while (valid < length && valid < text.size() && (Byte(text, valid) & 0xC0) == 0x80) ++valid;
  return valid;
}

// Length of a GB18030 sequence that starts the text: two bytes (lead 0x81-0xFE, trail
// 0x40-0xFE but 0x7F) or four (lead, digit, lead, digit); 0 for none.
size_t Gb18030SequenceLength(std::string_view text) {
  auto lead = [&](size_t i) { return i < text.size() && Byte(text, i) >= 0x81 && Byte(text, i) <= 0xFE; };
  auto digit = [&](size_t i) { return i < text.size() && Byte(text, i) >= '0' && Byte(text, i) <= '9'; };
  auto trail = [&](size_t i) {
    return i < text.size() && Byte(text, i) >= 0x40 && Byte(text, i) <= 0xFE && Byte(text, i) != 0x7F;
  };
  if (lead(0) && digit(1) && lead(2) && digit(3)) return 4;
  if (lead(0) && trail(1)) return 2;
  return 0;
}

// Valid UTF-8 holding at least one character beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view bytes) {
  bool beyondAscii = false;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char lead = Byte(bytes, i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
      length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
      length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
      length = 4;
    else
      return false;
    if (i + length > bytes.size()) return false;
    uint32_t code = lead & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = Byte(bytes, i + k);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    beyondAscii = true;
    i += length;
  }
  return beyondAscii;
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) return TextEncoding::Utf8Bom;
  return IsUtf8BeyondAscii(bytes) ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

std::string_view ByteOrderMark(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8Bom ? kUtf8Bom : std::string_view();
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding) {
  if (encoding != TextEncoding::Gbk)
    return Converter(kUtf8Name, kUtf8Name).Run(bytes, [](std::string_view) {
      return Replacement{1, std::string(kReplacementUtf8)};
    });
  Converter extended(kUtf8Name, kGb18030Name);
  return Converter(kUtf8Name, kGbkName).Run(bytes, [&](std::string_view rest) {
    const size_t length = Gb18030SequenceLength(rest);
    if (length > 0)
      if (auto text = extended.Whole(rest.substr(0, length))) return Replacement{length, std::move(*text)};
    return Replacement{1, std::string(kReplacementUtf8)};
  });
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding) {
  if (encoding != TextEncoding::Gbk)
    return Converter(kUtf8Name, kUtf8Name).Run(utf8, [](std::string_view) {
      return Replacement{1, std::string(kReplacementGbk)};
    });
  Converter extended(kGb18030Name, kUtf8Name);
  return Converter(kGbkName, kUtf8Name).Run(utf8, [&](std::string_view rest) {
    const size_t length = Utf8SequenceLength(rest);
    if (auto bytes = extended.Whole(rest.substr(0, length))) return Replacement{length, std::move(*bytes)};
    return Replacement{length, std::string(kReplacementGbk)};
  });
}

DecodedText DecodeFileText(std::string_view bytes) {
  DecodedText decoded;
  decoded.encoding = DetectEncoding(bytes);
  decoded.utf8 = DecodeText(bytes.substr(ByteOrderMark(decoded.encoding).size()), decoded.encoding);
  return decoded;
}

std::string EncodeFileText(std::string_view utf8, TextEncoding encoding) {
  return std::string(ByteOrderMark(encoding)) + EncodeText(utf8, encoding);
}

}  // namespace lum
