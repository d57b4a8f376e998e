#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"

namespace lum {

// The rules that turn what the editor pages hold into block fields and back, shared by the
// window and lumctl.

/// The pages show and store group 0 of the channel table.
inline constexpr int kPageGroup = 0;

/// What the pages' check boxes and radio buttons say of FuncFlags.
struct PageFlags {
  bool mi = false;
  bool rainDetect = false;  // MI mode 0
  bool pir = false;         // MI mode 1
  bool irReceiver = false;
  bool pwmDimming = false;
  bool energySaving = false;
  bool tempComp = false;
  bool operator==(const PageFlags&) const = default;
};

/// The pages' view of FuncFlags: MI modes 2 and 3 check neither radio button.
PageFlags UnpackFuncFlags(uint8_t flags);

/// FuncFlags stored from the pages over the old value: with MI checked, the MI bit set and
/// the mode from the radio buttons (neither checked keeps it); without, the MI bit cleared
/// and the mode kept. Bit 7 is kept.
uint8_t PackFuncFlags(uint8_t old, const PageFlags& flags);

/// SCDelay from the delay spin edit and the delay unit flag (1: seconds).
uint8_t PackSCDelay(int delay, bool unitFlag);

/// A channel's Mode from the work mode index (-1, no selection, gives the index byte 0xFF
/// without the loop bit's help) and the loop flag.
uint8_t PackMode(int workMode, bool loop);

/// The battery type row whose presets are exactly the block's four battery voltages, or 0
/// (custom parameters) when none is.
int MatchingBatteryType(const TCONFIG_BLOCK& block);

/// What became of a typed text.
enum class TypedText : uint8_t {
  Taken,        // stored (or it is the shown text of the value already held)
  AtThreshold,  // a number at or below the field's storeAbove: half-typed or wrong, the old value stays
  NotANumber,   // not a number the field can hold (see ParseTypedScaled): nothing is stored
};

/// Stores a typed text into the field. A storeAbove of 0 takes every number. The text shown
/// for the stored value keeps it exactly. `separator` is the decimal separator of the language
/// in use, taken beside ".".
TypedText StoreTypedText(TCONFIG_BLOCK& block, const ConfigField& field, const FieldPlace& place,
                         const std::string& text, std::string_view separator);

}  // namespace lum
