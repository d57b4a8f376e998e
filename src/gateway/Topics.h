#pragma once

#include <string>

namespace lum::gateway {

/// The topics of one gateway, all below its prefix (see the README's topic layout).
class Topics {
 public:
  static constexpr char kOnline[] = "online";
  static constexpr char kOffline[] = "offline";
  static constexpr char kCommandLeaf[] = "set";

  explicit Topics(std::string prefix) : prefix_(std::move(prefix)) {}
  const std::string& Prefix() const { return prefix_; }

  /// The gateway's own status: "online", or "offline" as its last will.
  std::string Status() const { return prefix_ + "/status"; }
  /// A controller's polls, one JSON document each with its sequence number.
  std::string State(const std::string& serial) const { return Of(serial, "state"); }
  /// A controller's availability: "online" or "offline", retained.
  std::string Availability(const std::string& serial) const { return Of(serial, "availability"); }
  /// A controller's configuration as the JSON format with its version, retained.
  std::string Config(const std::string& serial) const { return Of(serial, "config"); }
  /// A controller's open alarms from its recorded nights, one ON/OFF per kind, retained.
  std::string Alarms(const std::string& serial) const { return Of(serial, "alarms"); }
  /// An alarm that opened, once.
  std::string Event(const std::string& serial) const { return Of(serial, "event"); }
  /// Remote changes to a controller, and their results.
  std::string Command(const std::string& serial) const { return Of(serial, kCommandLeaf); }
  std::string Result(const std::string& serial) const { return Of(serial, "result"); }
  /// Every command topic of this gateway, to subscribe to.
  std::string AnyCommand() const { return Of("+", kCommandLeaf); }

 private:
  std::string Of(const std::string& serial, const char* leaf) const { return prefix_ + "/" + serial + "/" + leaf; }
  std::string prefix_;
};

}  // namespace lum::gateway
