#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "data/ConfigBlock.h"
#include "data/TypeTables.h"

namespace lum {

/// Where a field lives in the block.
enum class FieldScope : uint8_t {
  Block,    // once, at its offset in the block
  Channel,  // in every channel record, at its offset in the record
  Timing,   // in every segment of a channel's Timing table, at its offset in the segment
  Timing2,  // the same in the Timing2 table
};

/// Where a value travels in a request or a short reply.
enum class FrameSlot : uint8_t {
  None,     // it does not travel this way
  Word,     // W
  ByteArg,  // b3
  Flags,    // b2 without its top bit (which marks a write)
  Address,  // byte 0 of a reply: the controller's address
  Minutes,  // the low 12 bits of W, beside the segment number in its top 4 bits
};

/// The capability a controller needs to be sent (and to hold) the field.
enum class WriteNeed : uint8_t {
  Never,  // this program never sends it
  Always,
  Battery,
  LightControl,
  VoltageLimit,
  RatedCurrentOrPWM,
  OverTempLimit,
};

/// One configuration field: where it lives, how it is shown and edited, which request
/// writes it and when, which reply fills it and its JSON name.
struct ConfigField {
  const char* name;  // JSON key and name in lumctl show and in messages
  FieldScope scope;
  uint16_t offset;  // in the block, the channel record or the segment
  uint8_t width;    // bytes, little-endian: 1, 2 or 4
  uint16_t scale;   // shown as raw / scale with two decimals when above 1 (1000: mV as V)
  const char* unit;
  uint32_t minimum;  // range of the page control
  uint32_t maximum;
  uint16_t storeAbove;  // the pages store a typed value only above this; lower keeps the old
  const char* label;    // the main-window component whose caption names it, "" when none does
  uint8_t command;      // the request that reads and writes it; its reply is command | 0x80
  FrameSlot writeSlot;  // where a write request carries it (a controller stores it from there)
  FrameSlot replySlot;  // where the reply carries it; None when no reply fills it
  WriteNeed need;
  bool sentWhenZero;      // false: a zero value is not sent, nor the rest of its request
  bool jsonOptional;      // JSON documents may leave it out (it then stays zero)
  uint32_t flagBits = 0;  // bits that carry a flag beside the value; the range leaves them out
};

using FieldTable = std::span<const ConfigField>;

/// The configuration fields of this program, in the order a write sends them.
FieldTable ConfigFields();

/// The row named `name`, or null.
const ConfigField* FindField(FieldTable table, const char* name);

/// Which instance of a field: group and channel for channel fields, and the segment.
struct FieldPlace {
  int group = 0;
  int channel = 0;
  int segment = 0;
};

/// True when the place lies inside the block's tables for the field's scope.
bool PlaceInRange(const ConfigField& field, const FieldPlace& place);

/// The field's value in a block (places are checked by the caller).
uint32_t ReadValue(const TCONFIG_BLOCK& block, const ConfigField& field, const FieldPlace& place = {});
void WriteValue(TCONFIG_BLOCK& block, const ConfigField& field, const FieldPlace& place, uint32_t value);

/// The bits of a value that a frame slot carries (Minutes 12, Flags 7, ByteArg 8, Word 16).
uint32_t SlotMask(FrameSlot slot);

/// Whether a controller with these capabilities holds (and is sent) the field.
bool CanHold(const Capabilities& caps, const ConfigField& field);

/// Whether a value lies in the field's range (minimum..maximum), its flag bits aside.
bool InRange(const ConfigField& field, uint32_t value);

/// The field's value as a number: scaled fields with two decimals ("14.40"), others whole.
std::string FormatFieldNumber(const ConfigField& field, uint32_t value);

/// The field's value for people: scaled fields with two decimals ("14.40 V"), others as
/// numbers with their unit ("50 °C", "777").
std::string FormatFieldValue(const ConfigField& field, uint32_t value);

}  // namespace lum
