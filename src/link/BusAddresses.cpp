#include "link/BusAddresses.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>

namespace lum {

namespace {

constexpr char kListSeparator = ',';
constexpr char kRangeSeparator = '-';
constexpr char kPortSeparator = ':';
constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<unsigned> ParseAddress(std::string_view text, std::string* error) {
  const std::string_view digits = Trimmed(text);
  unsigned value = 0;
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || failure != std::errc() || end != digits.data() + digits.size()) {
    *error = fmt::format("\"{}\" is not a bus address", digits);
    return std::nullopt;
  }
  if (value < kFirstBusAddress || value > kLastBusAddress) {
    *error = fmt::format("bus address {} is outside {}..{}", digits, kFirstBusAddress, kLastBusAddress);
    return std::nullopt;
  }
  return value;
}

// One part of the list: an address or a range "first-last".
bool AddPart(std::string_view part, BusAddresses& addresses, std::string* error) {
  const size_t dash = part.find(kRangeSeparator);
  const auto first = ParseAddress(part.substr(0, dash), error);
  if (!first) return false;
  unsigned last = *first;
  if (dash != std::string_view::npos) {
    const auto end = ParseAddress(part.substr(dash + 1), error);
    if (!end) return false;
    if (*end < *first) {
      *error = fmt::format("bus range {} runs backwards", Trimmed(part));
      return false;
    }
    last = *end;
  }
  for (unsigned a = *first; a <= last; ++a) addresses.push_back(static_cast<uint8_t>(a));
  return true;
}

}  // namespace

std::optional<BusAddresses> ParseBusAddresses(std::string_view text, std::string* error) {
  BusAddresses addresses;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(kListSeparator, start);
    if (!AddPart(text.substr(start, comma == std::string_view::npos ? comma : comma - start), addresses, error))
      return std::nullopt;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  std::sort(addresses.begin(), addresses.end());
  addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
  return addresses;
}

std::optional<uint8_t> ParseBusAddress(std::string_view text, std::string* error) {
  const auto address = ParseAddress(text, error);
  if (!address) return std::nullopt;
  return static_cast<uint8_t>(*address);
}

std::optional<BusChoice> ParseBusChoice(std::string_view text, std::string* error) {
  const size_t colon = text.find(kPortSeparator);
  if (colon == std::string_view::npos || Trimmed(text.substr(0, colon)).empty()) {
    *error = fmt::format("\"{}\" is not PORT:ADDRESSES (e.g. COM3:1-32)", text);
    return std::nullopt;
  }
  auto addresses = ParseBusAddresses(text.substr(colon + 1), error);
  if (!addresses) return std::nullopt;
  return BusChoice{std::string(Trimmed(text.substr(0, colon))), std::move(*addresses)};
}

std::string BusEntryName(const std::string& port, uint8_t address) {
  return address == 0 ? port : fmt::format("{} #{}", port, address);
}

}  // namespace lum
