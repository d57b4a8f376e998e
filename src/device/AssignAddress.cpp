#include "device/AssignAddress.h"

#include <algorithm>

#include "device/Identify.h"
#include "device/Scan.h"

namespace lum {

namespace {

// Whether anything answers at `address`: cleanly, or garbled by two controllers at once.
bool Answers(Link& link, SerialPort* port, uint8_t address) {
  TCONFIG_BLOCK probe;
  link.SetBusAddress(address);
  link.ClearGarbledExchanges();
  const bool answered = Identify(link, port, probe, kScanIdentifyTries) >= 0 || link.GarbledExchanges() > 0;
  link.SetDeviceIdentified(false);
  return answered;
}

// Whether the controller answered a read of its function flags into `block`.
bool ReadFlags(Link& link, SerialPort* port, TCONFIG_BLOCK& block) {
  link.ClearReplyLog();
  SendRead(link, port, block, command::kFuncFlags);
  const auto& replies = link.ReplyLog();
  return std::any_of(replies.begin(), replies.end(),
                     [](const ReplyHeader& reply) { return reply.code == ReplyCode(command::kFuncFlags); });
}

}  // namespace

AddressResult AssignAddress(Link& link, SerialPort* port, uint8_t from, uint8_t to) {
  TDEVICE_CONFIG* const entry = link.Entry();
  link.SetEntry(nullptr);  // the probes' identity replies belong to no entry
  AddressResult result = AddressResult::Taken;
  if (!Answers(link, port, to)) {
    TCONFIG_BLOCK current;
    link.SetBusAddress(from);
    // The write carries the flags as well: they are read first so that they stay as they are,
    // and nothing is sent when they cannot be read (the write would clear them).
    if (Identify(link, port, current, kScanIdentifyTries) < 0 || !ReadFlags(link, port, current)) {
      result = AddressResult::NoController;
    } else {
      // The controller answers the write from its new address already.
      const uint8_t request = link.RequestAddress();
      link.SetBusAddress(to);
      link.SendFrame(current, port, request, command::kFuncFlags,
                     static_cast<uint8_t>(frame::kWriteFlag | (current.FuncFlags() & frame::kFuncFlagsMask)), to, 0);
      result = Answers(link, port, to) ? AddressResult::Set : AddressResult::Unverified;
    }
  }
  link.SetBusAddress(0);
  link.SetDeviceIdentified(false);
  link.SetEntry(entry);
  return result;
}

}  // namespace lum
