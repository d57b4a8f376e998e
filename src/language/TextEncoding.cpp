#include "language/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace lum {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementGbk = "?";
constexpr char kGbkName[] = "CP936";
constexpr char kUtf8Name[] = "UTF-8";
constexpr size_t kOutputChunk = 4096;
constexpr size_t kInputChunk = 64;

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

  // Converts input; at a sequence the converter refuses, skipLength(rest) bytes are dropped and
  // the replacement is written instead.
  template <typename SkipLength>
  std::string Run(std::string_view input, std::string_view replacement, SkipLength skipLength) {
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
      pos += std::min(input.size() - pos, skipLength(input.substr(pos)));
      out.append(replacement);
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

size_t OneByte(std::string_view) { return 1; }

// Length of the UTF-8 sequence that starts the text, so that a character GBK cannot hold is
// replaced once, not byte by byte.
size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 1;
  if (lead >= 0xF0)
    length = 4;
  else if (lead >= 0xE0)
    length = 3;
  else if (lead >= 0xC0)
    length = 2;
  size_t valid = 1;
  while (valid < length && valid < text.size() && (static_cast<unsigned char>(text[valid]) & 0xC0) == 0x80) ++valid;
  return valid;
}

}  // namespace

DecodedText DecodeFileText(std::string_view bytes) {
  DecodedText decoded;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    decoded.encoding = TextEncoding::Utf8Bom;
    decoded.utf8 = Converter(kUtf8Name, kUtf8Name).Run(bytes.substr(kUtf8Bom.size()), kReplacementUtf8, OneByte);
  } else {
    decoded.utf8 = Converter(kUtf8Name, kGbkName).Run(bytes, kReplacementUtf8, OneByte);
  }
  return decoded;
}

std::string EncodeFileText(std::string_view utf8, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8Bom)
    return std::string(kUtf8Bom) + Converter(kUtf8Name, kUtf8Name).Run(utf8, kReplacementGbk, OneByte);
  return Converter(kGbkName, kUtf8Name).Run(utf8, kReplacementGbk, Utf8SequenceLength);
}

}  // namespace lum
