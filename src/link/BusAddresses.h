#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

/// The addresses a bus is looked at, ascending, each once.
using BusAddresses = std::vector<uint8_t>;

/// Address 0 reaches every controller on a line at once: it is never one of a bus's.
inline constexpr unsigned kFirstBusAddress = 1;
inline constexpr unsigned kLastBusAddress = 255;

/// Parses a list of addresses and ranges such as "1-32" or "1,3,7-9" (spaces allowed around
/// the parts). nullopt with `*error` naming the bad part: an empty list or part, an address 0
/// or above 255, a reversed range, anything that is not a number.
std::optional<BusAddresses> ParseBusAddresses(std::string_view text, std::string* error);

/// Parses one address 1..255 ("7", spaces allowed around it); nullopt with `*error` as above.
std::optional<uint8_t> ParseBusAddress(std::string_view text, std::string* error);

/// A port chosen as a bus: "COM3:1-32".
struct BusChoice {
  std::string port;
  BusAddresses addresses;
};

/// Parses "PORT:ADDRESSES"; nullopt with `*error` when the colon or the port is missing or the
/// addresses are bad.
std::optional<BusChoice> ParseBusChoice(std::string_view text, std::string* error);

/// "COM3 #5": how a controller on a bus is named; a single-controller port (address 0) keeps
/// the port's name.
std::string BusEntryName(const std::string& port, uint8_t address);

}  // namespace lum
