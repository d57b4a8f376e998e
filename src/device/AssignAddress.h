#pragma once

#include <cstdint>

#include "link/Link.h"
#include "link/SerialPort.h"

namespace lum {

enum class AddressResult {
  Set,           // the controller answers at the new address
  Taken,         // a controller (or two) already answers at the new address: nothing was sent to change it
  NoController,  // nothing answers at the old address: nothing was changed
  Unverified,    // the change was sent, but nothing answers at the new address
  NoPort,        // the port would not open
};

/// Gives the controller at address `from` the bus address `to` (1..255) through the
/// function-flags write, keeping its flags. `from` 0 is the one controller alone on the line.
/// First makes sure nothing answers at `to`, last identifies the controller there.
AddressResult AssignAddress(Link& link, SerialPort* port, uint8_t from, uint8_t to);

}  // namespace lum
