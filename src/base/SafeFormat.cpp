#include "base/SafeFormat.h"

#include <cstddef>
#include <optional>

namespace lum {

namespace {

// A width or precision beyond this is taken as a hostile text, not as a request for padding.
constexpr unsigned kMaxFieldWidth = 1024;

struct Spec {
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
std::optional<Spec> ParseSpec(std::string_view text, size_t& pos) {
  Spec spec;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '-')
      spec.left = true;
    else if (c == '0')
      spec.zero = true;
    else if (c == '+')
      spec.plus = true;
    else if (c == ' ')
      spec.space = true;
    else
      break;
  }
  const auto width = ReadDigits(text, pos);
  if (!width) return std::nullopt;
  spec.width = *width;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    spec.precision = ReadDigits(text, pos);
    if (!spec.precision) return std::nullopt;
  }
  if (pos >= text.size()) return std::nullopt;
  spec.conversion = text[pos++];
  switch (spec.conversion) {
    case 's':
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'p':
      return spec;
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

void Pad(std::string& out, std::string_view body, const Spec& spec, size_t shownLength, char fill) {
  const size_t padding = spec.width > shownLength ? spec.width - shownLength : 0;
  if (spec.left) {
    out.append(body);
    out.append(padding, ' ');
  } else {
    out.append(padding, fill);
    out.append(body);
  }
}

void AppendText(std::string& out, const std::string& arg, const Spec& spec) {
  const std::string_view body = spec.precision ? FirstCharacters(arg, *spec.precision) : std::string_view(arg);
  Pad(out, body, spec, CountCharacters(body), ' ');
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

void AppendNumber(std::string& out, int64_t value, const Spec& spec) {
  const bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
  const bool hex = spec.conversion == 'x' || spec.conversion == 'X' || spec.conversion == 'p';
  const bool upper = spec.conversion != 'x';
  // Unsigned conversions show a negative number as its two's complement, as C does.
  const bool negative = isSigned && value < 0;
  const uint64_t magnitude =
      negative ? static_cast<uint64_t>(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);

  std::string digits = Digits(magnitude, hex, upper);
  if (spec.precision) {
    // C: precision is the minimum number of digits, and zero with precision 0 prints nothing.
    if (*spec.precision == 0 && magnitude == 0) digits.clear();
    if (digits.size() < *spec.precision) digits.insert(0, *spec.precision - digits.size(), '0');
  }
  std::string sign;
  if (negative)
    sign = "-";
  else if (isSigned && spec.plus)
    sign = "+";
  else if (isSigned && spec.space)
    sign = " ";

  const bool zeroFill = spec.zero && !spec.left && !spec.precision;
  if (zeroFill) {
    const size_t length = sign.size() + digits.size();
    if (spec.width > length) digits.insert(0, spec.width - length, '0');
    out.append(sign).append(digits);
    return;
  }
  const std::string body = sign + digits;
  Pad(out, body, spec, body.size(), ' ');
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
    const auto spec = ParseSpec(format, pos);
    if (!spec || next == args.end()) return std::string(format);
    const FormatArg& arg = *next++;
    if (spec->conversion == 's') {
      const auto* text = std::get_if<std::string>(&arg);
      if (text == nullptr) return std::string(format);
      AppendText(out, *text, *spec);
    } else {
      const auto* number = std::get_if<int64_t>(&arg);
      if (number == nullptr) return std::string(format);
      AppendNumber(out, *number, *spec);
    }
  }
  return out;
}

}  // namespace lum
