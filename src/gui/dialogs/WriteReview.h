#pragma once

#include "ChangeView.h"
#include "data/ConfigBlock.h"
#include "data/DeviceConfig.h"
#include "device/FieldLabels.h"

namespace lum {

class TFormLUM;

/// The configuration a write of this product goes to, as last read: the first controller
/// entry, in port order, read completely with that product code. Null when none was read.
const TCONFIG_BLOCK* LastReadTarget(const EntryStore& entries, uint32_t productId);

/// How the window names fields: its pages' captions in the language in use.
FieldLabels WindowFieldLabels(TFormLUM& window);

/// The change view for writing `source`: the fields that would change on the controller as
/// last read, labelled with the pages' captions in the language in use; "no change" when
/// none would, and a question when no controller of the product was read.
ChangeList WriteChangeList(TFormLUM& window, const TCONFIG_BLOCK& source);

}  // namespace lum
