#pragma once

#include "device/DeviceContext.h"

namespace lum {

/// Identification tries on each port of a write, and the pause after a match.
inline constexpr int kWriteIdentifyTries = 8;
inline constexpr unsigned kAfterMatchPauseMs = 200;

enum class WriteResult {
  NoConfig,              // CurrentEntry has no product code: nothing was sent
  NoMatchingController,  // no port held a controller of the entry's product
  Verified,              // written, and every sent value came back unchanged
  VerifyFailed,          // written, but a sent value came back different or not at all
  Busy,                  // another operation holds the link: nothing was done
};

/// Writes CurrentEntry's configuration into the first controller on COM1..COM16 whose
/// product code equals the entry's, then verifies it: every field the write sends must be
/// echoed back with the value sent ("Ok"), otherwise "Failure". Fields the sequence does not
/// send are not compared. Every attempt ends with a line holding only "\r". Holds a
/// Link::Operation for the whole write.
WriteResult WriteDevice(DeviceContext& context);

}  // namespace lum
