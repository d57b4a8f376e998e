#pragma once

#include "data/ConfigBlock.h"
#include "link/Link.h"

namespace lum {

/// Sends identification requests with try numbers 0 .. tries-1, decoding into `block`, and
/// stops as soon as the block's ProductID is a row of the device type table.
/// Returns that row, or -1 when no try found one.
int Identify(Link& link, SerialPort* port, TCONFIG_BLOCK& block, int tries);

/// A plain read: the command with every argument 0 but the ones given.
void SendRead(Link& link, SerialPort* port, TCONFIG_BLOCK& block, uint8_t command, uint8_t index = 0,
              uint16_t word = 0);

}  // namespace lum
