#pragma once

#include "device/DeviceContext.h"

namespace lum {

/// Identification tries on each port of a write, and the pause after a match.
inline constexpr int kWriteIdentifyTries = 8;
inline constexpr unsigned kAfterMatchPauseMs = 200;

enum class WriteResult {
  NoConfig,              // CurrentEntry has no known product code, or its read was incomplete: nothing was sent
  Unwritable,            // a value lies outside its field's range: nothing was sent
  NoMatchingController,  // no port held a controller of the entry's product
  Verified,              // written, and the controller holds every value of the entry it can hold
  VerifyFailed,          // written, but a value of the entry is not held (or not known to be)
};

/// Writes CurrentEntry's configuration into the first controller on COM1..COM16 whose
/// product code equals the entry's, then verifies it: "Ok" only when every field of the write
/// sequence that the controller can hold holds the entry's value -- sent and echoed equal, or
/// not sent and equal in the device entry's last complete read of that controller (same
/// serial number). Otherwise "Failure" and a line naming each field. Entries without a known
/// device type, whose read was incomplete, or holding a value outside its field's range (each
/// named by the window's label) are refused before anything is sent. Every attempt ends with a line holding only "\r".
WriteResult WriteDevice(DeviceContext& context);

}  // namespace lum
