// lumctl address set: gives a controller its bus address, verified at the new address.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "base/SafeFormat.h"
#include "cli/CliSession.h"
#include "cli/Command.h"
#include "language/MessageSlots.h"
#include "link/PortNames.h"

namespace lum::cli {

namespace {

void SetAddress(const std::string& port, unsigned from, unsigned to) {
  const auto n = ComNumber(port);
  if (!n) {
    std::cerr << port << ": address set takes a port name COM1..COM16" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  CliSession session(*n);
  // Address 0 reaches every controller of a bus at once.
  if (from == 0 && !session.context.Ports().BusOf(*n).empty()) {
    std::cerr << port << " is a bus: give the new controller's present address with --from" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  std::optional<AddressResult> result;
  session.device.AssignAddress(*n, static_cast<uint8_t>(from), static_cast<uint8_t>(to),
                               [&result](AddressResult done) { result = done; });
  session.device.WaitIdle();
  const MessageTable& messages = session.context.Messages();
  const auto say = [&](int slot) { return FormatText(messages.Text(slot), {int64_t{to}}); };
  if (result == AddressResult::Set) {
    std::cout << say(msg::kAddressSet) << std::endl;
    return;
  }
  if (result == AddressResult::Taken) std::cerr << say(msg::kAddressTaken) << std::endl;
  if (result == AddressResult::Unverified) std::cerr << say(msg::kAddressUnverified) << std::endl;
  if (result == AddressResult::NoController)
    std::cerr << FormatText(messages.Text(msg::kAddressNoController), {int64_t{from}}) << std::endl;
  if (result == AddressResult::NoPort) std::cerr << port << ": the port would not open" << std::endl;
  throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* address = app.add_subcommand("address", "Bus addresses of controllers");
  address->require_subcommand(1);
  auto* set = address->add_subcommand(
      "set", "Give a controller a bus address, refused when the address already answers, verified at the new one");
  auto port = std::make_shared<std::string>();
  auto to = std::make_shared<unsigned>(0);
  auto from = std::make_shared<unsigned>(0);
  set->add_option("port", *port, "COMn of LUM.INI")->required();
  set->add_option("--to", *to, "The new address")->required()->check(CLI::Range(kFirstBusAddress, kLastBusAddress));
  set->add_option("--from", *from,
                  "The controller's present address on the bus; without it, the one controller alone on the port")
      ->check(CLI::Range(kFirstBusAddress, kLastBusAddress));
  set->callback([port, to, from] { SetAddress(*port, *from, *to); });
});

}  // namespace

}  // namespace lum::cli
