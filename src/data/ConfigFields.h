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

/// When a scan asks for the request that carries the field.
enum class ScanRead : uint8_t {
  Never,     // the scan leaves it alone
  Identity,  // with the identity, before the capabilities are known (they may come with it)
  Held,      // once the capabilities are known, when the controller holds it (CanHold)
};

/// The configuration fields by name. The order is that of the built-in table.
enum class FieldId : uint8_t {
  ProductID,
  CapFlags,
  BattReserved,
  OTP,
  SCDelay,
  SCV,
  BattOVP,
  BattFCV,
  BattUVP,
  BattUVR,
  CV,
  CC,
  Minutes,
  Power,
  Mode,
  Minutes2,  // Timing2's: the same JSON names as Timing's, within its own table
  Power2,
  FuncFlags,
  Address,
};

/// One configuration field: where it lives, how it is shown and edited, which request
/// reads and writes it and when, which reply fills it, its JSON name and the values it
/// starts with. Rows are written with designated initializers; what a row leaves out is
/// the default below.
struct ConfigField {
  FieldId id;
  const char* name;  // JSON key and name in lumctl show and in messages (unique within its scope)
  FieldScope scope = FieldScope::Block;
  uint16_t offset = 0;  // in the block, the channel record or the segment
  uint8_t width = 1;    // bytes, little-endian: 1, 2 or 4
  uint16_t scale = 1;   // shown as raw / scale with two decimals when above 1 (1000: mV as V)
  const char* unit = "";
  uint32_t minimum = 0;  // range of the page control
  uint32_t maximum = 0;
  uint16_t storeAbove = 0;                // the pages store a typed value only above this; lower keeps the old
  uint8_t command = 0;                    // the request that reads and writes it; its reply is command | 0x80
  FrameSlot writeSlot = FrameSlot::None;  // where a write request carries it (a controller stores it from there)
  FrameSlot replySlot = FrameSlot::None;  // where the reply carries it; None when no reply fills it
  WriteNeed need = WriteNeed::Never;
  bool sentWhenZero = true;   // false: a zero value is not sent, nor the rest of its request
  bool jsonOptional = false;  // JSON documents may leave it out (it then stays zero)
  uint32_t flagBits = 0;      // bits that carry a flag beside the value; the range leaves them out
  ScanRead read = ScanRead::Never;
  uint32_t start = 0;   // in the "New File" entry (channel fields: in its channels)
  uint32_t sample = 0;  // in a simulated controller that holds it
};

using FieldTable = std::span<const ConfigField>;

/// The configuration fields of this program, in the order a write sends them.
FieldTable ConfigFields();

/// The built-in row of a field.
const ConfigField& Field(FieldId id);

/// The row of a field in a table, or null.
const ConfigField* FindField(FieldTable table, FieldId id);

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
