#pragma once

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

class QWidget;

namespace lum {

class TFormLUM;

/// The form property that names the field a control of the pages shows ("OTP", "BattUVP", ...).
inline constexpr char kFieldProperty[] = "field";

/// The field a control shows, as its form names it; null for a control of no field or of a
/// name the field table does not know.
const ConfigField* FieldOf(const QWidget& control);

/// Marks every control of the pages that shows a value of `block` outside its field's range (a
/// write refuses it): a red frame, and a tip that names the value held and the range. A
/// control whose field is in range loses its mark. `channel` is the output the load page shows.
void MarkValuesOutOfRange(TFormLUM& window, const TCONFIG_BLOCK& block, int channel);

}  // namespace lum
