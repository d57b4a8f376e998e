#pragma once

#include <cstdint>
#include <span>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"
#include "data/DeviceConfig.h"
#include "link/LinkObserver.h"

namespace lum {

/// What a reply changed beyond the block, the entry and the observer.
struct ReplyEffect {
  bool identified = false;  // an identification reply: the link sets DeviceIdentified
};

/// Decodes one checked reply frame (short or long, CRC included) by its reply code:
/// configuration fields (by `fields`) go into `block`, identity fields into `entry` (skipped when null), values and
/// status bytes to `observer`. Unknown codes, memory-read replies, channel replies outside the
/// block's channel table and long replies whose length byte does not match the frame are
/// consumed without effect.
ReplyEffect DispatchReply(std::span<const uint8_t> reply, TCONFIG_BLOCK& block, TDEVICE_CONFIG* entry,
                          LinkObserver& observer, FieldTable fields = ConfigFields());

}  // namespace lum
