#include "base/SafeFormat.h"

#include <cstddef>
#include <optional>

namespace lum {

namespace {

// A width or precision beyond this is taken as a hostile text, not as a request for padding.
constexpr unsigned kMaxFieldWidth = 1024;

struct Placeholder {
  bool left = false;
  bool zero = false;
  bool plus = false;
  bool space = false;
  unsigned width = 0;
  std::optional<unsigned> precision;
  char conversion = 0;
};

// Reads a run of digits at pos; nullopt when it exceeds the field limit.
std::optional<unsigned> ReadDigits(std::string_view text, size_t& pos) {
  unsigned value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + static_cast<unsigned>(text[pos] - '0');
    if (value > kMaxFieldWidth) return std::nullopt;
    ++pos;
  }
  return value;
}

// Parses the placeholder after its '%' (pos points past it); nullopt for anything unknown.
std::optional<Placeholder> ParsePlaceholder(std::string_view text, size_t& pos) {
  Placeholder placeholder;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '-')
      placeholder.left = true;
    else if (c == '0')
      placeholder.zero = true;
    else if (c == '+')
      placeholder.plus = true;
    else if (c == ' ')
      placeholder.space = true;
    else
      break;
  }
  const auto width = ReadDigits(text, pos);
  if (!width) return std::nullopt;
  placeholder.width = *width;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    placeholder.precision = ReadDigits(text, pos);
    if (!placeholder.precision) return std::nullopt;
  }
  if (pos >= text.size()) return std::nullopt;
  placeholder.conversion = text[pos++];
  switch (placeholder.conversion) {
    case 's':
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'p':
      return placeholder;
    default:
      return std::nullopt;
  }
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CountCharacters(std::string_view text) {
  size_t count = 0;
  for (char c : text)
    if (!IsUtf8Continuation(c)) ++count;
  return count;
}

// The first n characters (code points) of a UTF-8 text, never cutting a sequence apart.
std::string_view FirstCharacters(std::string_view text, size_t n) {
  size_t pos = 0;
  for (size_t seen = 0; pos < text.size(); ++pos) {
    if (!IsUtf8Continuation(text[pos]) && seen++ == n) break;
  }
  return text.substr(0, pos);
}

void Pad(std::string& out, std::string_view body, const Placeholder& placeholder, size_t shownLength, char fill) {
  const size_t padding = placeholder.width > shownLength ? placeholder.width - shownLength : 0;
  if (placeholder.left) {
    out.append(body);
    out.append(padding, ' ');
  } else {
    out.append(padding, fill);
    out.append(body);
  }
}

void AppendText(std::string& out, const std::string& arg, const Placeholder& placeholder) {
  const std::string_view body =
      placeholder.precision ? FirstCharacters(arg, *placeholder.precision) : std::string_view(arg);
  Pad(out, body, placeholder, CountCharacters(body), ' ');
}

std::string Digits(uint64_t magnitude, bool hex, bool upper) {
  const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  const unsigned base = hex ? 16 : 10;
  std::string digits;
  do {
    digits.insert(digits.begin(), symbols[magnitude % base]);
    magnitude /= base;
  } while (magnitude != 0);
  return digits;
}

void AppendNumber(std::string& out, int64_t value, const Placeholder& placeholder) {
  const bool isSigned = placeholder.conversion == 'd' || placeholder.conversion == 'i';
  const bool hex = placeholder.conversion == 'x' || placeholder.conversion == 'X' || placeholder.conversion == 'p';
  const bool upper = placeholder.conversion != 'x';
  // Unsigned conversions show a negative number as its two's complement, as C does.
  const bool negative = isSigned && value < 0;
  const uint64_t magnitude =
      negative ? static_cast<uint64_t>(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);

  std::string digits = Digits(magnitude, hex, upper);
  if (placeholder.precision) {
    // C: precision is the minimum number of digits, and zero with precision 0 prints nothing.
    if (*placeholder.precision == 0 && magnitude == 0) digits.clear();
    if (digits.size() < *placeholder.precision) digits.insert(0, *placeholder.precision - digits.size(), '0');
  }
  std::string sign;
  if (negative)
    sign = "-";
  else if (isSigned && placeholder.plus)
    sign = "+";
  else if (isSigned && placeholder.space)
    sign = " ";

  const bool zeroFill = placeholder.zero && !placeholder.left && !placeholder.precision;
  if (zeroFill) {
    const size_t length = sign.size() + digits.size();
    if (placeholder.width > length) digits.insert(0, placeholder.width - length, '0');
    out.append(sign).append(digits);
    return;
  }
  const std::string body = sign + digits;
  Pad(out, body, placeholder, body.size(), ' ');
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  size_t pos = 0;
  while (pos < format.size()) {
    const size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    pos = percent + 1;
    if (pos < format.size() && format[pos] == '%') {
      out.push_back('%');
      ++pos;
      continue;
    }
    const auto placeholder = ParsePlaceholder(format, pos);
    if (!placeholder || next == args.end()) return std::string(format);
    const FormatArg& arg = *next++;
    if (placeholder->conversion == 's') {
      const auto* text = std::get_if<std::string>(&arg);
      if (text == nullptr) return std::string(format);
      AppendText(out, *text, *placeholder);
    } else {
      const auto* number = std::get_if<int64_t>(&arg);
      if (number == nullptr) return std::string(format);
      AppendNumber(out, *number, *placeholder);
    }
  }
  return out;
}

}  // namespace lum
