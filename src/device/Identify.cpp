#include "device/Identify.h"

#include "data/TypeTables.h"

namespace lum {

int Identify(Link& link, SerialPort* port, TCONFIG_BLOCK& block, int tries) {
  for (int t = 0; t < tries; ++t) {
    link.SendFrame(block, port, link.RequestAddress(), command::kIdentify, 0, static_cast<uint8_t>(t), 0);
    const int row = LookupProductID(block.ProductID());
    if (row >= 0) return row;
  }
  return -1;
}

void SendRead(Link& link, SerialPort* port, TCONFIG_BLOCK& block, uint8_t command, uint8_t index, uint16_t word) {
  link.SendFrame(block, port, link.RequestAddress(), command, index, 0, word);
}

}  // namespace lum
