#include "link/PortNames.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <string_view>

#include "link/SerialDevices.h"

namespace lum {

namespace {

constexpr std::string_view kComPrefix = "COM";

bool StartsWithComPrefix(const std::string& name) {
  return name.size() >= kComPrefix.size() &&
         std::equal(kComPrefix.begin(), kComPrefix.end(), name.begin(),
                    [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::string ComName(int n) { return std::string(kComPrefix) + std::to_string(n); }

std::optional<int> ComNumber(const std::string& name) {
  if (!StartsWithComPrefix(name)) return std::nullopt;
  const std::string_view digits = std::string_view(name).substr(kComPrefix.size());
  if (!AllDigits(digits) || digits.front() == '0') return std::nullopt;
  int n = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (n < kFirstComPort || n > kLastComPort) return std::nullopt;
  return n;
}

PortMap PortMap::FromSection(const Entries& entries) {
  PortMap map;
  for (const auto& [key, value] : entries) {
    const auto n = ComNumber(key);
    if (n && !value.empty()) map.paths_[static_cast<size_t>(*n)] = value;
  }
  return map;
}

PortMap PortMap::FromSystem() {
  PortMap map;
  int n = kFirstComPort;
  for (const auto& path : ListSerialDevices()) {
    if (n > kLastComPort) break;
    map.paths_[static_cast<size_t>(n++)] = path;
  }
  return map;
}

PortMap PortMap::Only(int n) const {
  PortMap map;
  if (const auto path = PathOf(n)) {
    map.paths_[static_cast<size_t>(n)] = *path;
    map.buses_[static_cast<size_t>(n)] = BusOf(n);
  }
  return map;
}

void PortMap::SetBus(int n, BusAddresses addresses) {
  if (n >= kFirstComPort && n <= kLastComPort) buses_[static_cast<size_t>(n)] = std::move(addresses);
}

std::vector<std::string> PortMap::SetBuses(const Entries& entries) {
  std::vector<std::string> errors;
  for (const auto& [key, value] : entries) {
    const auto n = ComNumber(key);
    std::string error;
    if (!n) {
      errors.push_back(fmt::format("[Bus] {}: not a port name COM1..COM16", key));
    } else if (const auto addresses = ParseBusAddresses(value, &error)) {
      SetBus(*n, *addresses);
    } else {
      errors.push_back(fmt::format("[Bus] {}={}: {}", key, value, error));
    }
  }
  return errors;
}

const BusAddresses& PortMap::BusOf(int n) const {
  static const BusAddresses kSingle;
  return n >= kFirstComPort && n <= kLastComPort ? buses_[static_cast<size_t>(n)] : kSingle;
}

std::optional<std::string> PortMap::PathOf(int n) const {
  if (n < kFirstComPort || n > kLastComPort) return std::nullopt;
  return paths_[static_cast<size_t>(n)];
}

std::optional<std::string> PortMap::Resolve(const std::string& nameOrPath) const {
  if (nameOrPath.empty()) return std::nullopt;
  // "COM" and digits is always a port name, never a relative path: COM17 does not exist.
  if (StartsWithComPrefix(nameOrPath) && AllDigits(std::string_view(nameOrPath).substr(kComPrefix.size()))) {
    const auto n = ComNumber(nameOrPath);
    return n ? PathOf(*n) : std::nullopt;
  }
  return nameOrPath;
}

std::unique_ptr<SerialPort> PortMap::Open(int n, unsigned baud, PortErrorSink* errors, int* failure) const {
  const auto path = PathOf(n);
  if (!path && failure) *failure = ENOENT;
  return path ? OpenPort(*path, baud, errors, failure) : nullptr;
}

std::vector<PortProbe> PortMap::ProbeComPorts() const {
  std::vector<PortProbe> ports;
  for (int n = kFirstComPort; n <= kLastComPort; ++n)
    if (const auto path = PathOf(n)) ports.push_back({ComName(n), *path, ProbePort(*path)});
  return ports;
}

std::vector<std::pair<std::string, std::string>> PortMap::ListComPorts() const {
  std::vector<std::pair<std::string, std::string>> ports;
  for (const PortProbe& port : ProbeComPorts())
    if (port.error == 0) ports.emplace_back(port.name, port.path);
  return ports;
}

}  // namespace lum
