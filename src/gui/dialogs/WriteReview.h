#pragma once

#include "ChangeView.h"
#include "data/ConfigBlock.h"
#include "data/DeviceConfig.h"
#include "device/FieldLabels.h"

namespace lum {

class TFormLUM;

/// The controller a write of `written` goes to, as last read: a controller of a bus is
/// written itself; any other entry goes to the first controller entry, in port order, alone on
/// its port and read completely with its product code. Null when none was read.
const TDEVICE_CONFIG* LastReadTarget(const EntryStore& entries, const TDEVICE_CONFIG& written);

/// How the window names fields: its pages' captions in the language in use.
FieldLabels WindowFieldLabels(TFormLUM& window);

/// The change view for writing the entry `written`: the fields that would change on the
/// controller as last read, labelled with the pages' captions in the language in use, the
/// title naming that controller (port and bus address); "no change" when none would, and a
/// question when no controller of the product was read.
ChangeList WriteChangeList(TFormLUM& window, const TDEVICE_CONFIG& written);

}  // namespace lum
