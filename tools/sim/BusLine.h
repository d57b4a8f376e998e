#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "sim/Measurements.h"
#include "sim/Request.h"
#include "sim/Responder.h"

namespace lum::sim {

/// Several controllers on one RS-485 line, without any I/O: each answers the requests to its
/// own address, and every one of them answers address 0, which reaches the whole line. Two
/// answering at once collide: their replies come out mixed byte by byte.
class BusLine {
 public:
  /// Units by slot (0 = the first); an empty slot is a unit unplugged.
  explicit BusLine(std::vector<std::optional<Responder>> units) : units_(std::move(units)), logs_(units_.size()) {}

  /// What the line carries back after `request`; nullopt when no unit answered.
  std::optional<Bytes> Answer(const Request& request, const RawFrame& frame, const Measurements& now);

  size_t Size() const { return units_.size(); }
  /// Puts a unit into a slot (replacing one there), or takes it out; false for no such slot.
  bool Plug(size_t slot, std::optional<Responder> unit);
  /// Gives the unit in a slot a new address, as its function-flags write would.
  bool Readdress(size_t slot, uint8_t address);
  /// The unit's configuration; nullopt for an empty or missing slot.
  std::optional<TCONFIG_BLOCK> Config(size_t slot) const;
  /// The requests the unit in a slot heard addressed to it (or to the whole line), in order.
  std::vector<RawFrame> Log(size_t slot) const;

 private:
  std::vector<std::optional<Responder>> units_;
  std::vector<std::vector<RawFrame>> logs_;
};

/// Two replies sent at once, as the line mixes them: a byte of the first, a byte of the
/// second, and so on, the longer one's tail at the end.
Bytes MixReplies(const Bytes& first, const Bytes& second);

}  // namespace lum::sim
