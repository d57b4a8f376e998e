#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"
#include "data/TypeTables.h"

namespace lum {

/// One instance of a field that a write request carries and its echo decodes back: only
/// group 0 of the channel table travels.
struct FieldRef {
  const ConfigField* field = nullptr;
  int channel = 0;  // for channel and segment fields
  int segment = 0;  // for segment fields
  FieldPlace Place() const { return {0, channel, segment}; }
  bool operator==(const FieldRef&) const = default;
};

/// The field's value in a block as its request carries it and its echo decodes it (minutes
/// to 12 bits, FuncFlags to 7).
uint16_t ReadField(const TCONFIG_BLOCK& block, const FieldRef& field);
void WriteField(TCONFIG_BLOCK& block, const FieldRef& field, uint16_t value);

/// A field and the value that travelled for it.
struct SentField {
  FieldRef field;
  uint16_t value;
};

/// One write request (address 0) with the fields it carries.
struct WriteRequest {
  uint8_t command;
  uint8_t index;
  uint8_t byteArg;
  uint16_t word;
  std::vector<SentField> fields;
};

/// The write sequence for a block, in the order of the field table: block fields by request,
/// each run of channel requests once per channel (segment requests once per segment).
/// Capabilities and channel count come from the block's CapFlags and the device type row of
/// its ProductID; a request goes only when the controller holds all its fields and none of
/// them that is not sent when zero is zero.
std::vector<WriteRequest> PlanWrite(const TCONFIG_BLOCK& block, FieldTable fields = ConfigFields());

/// The fields of the write sequence that a controller with these capabilities and channel
/// count holds, in the sequence's order.
std::vector<FieldRef> HeldFields(const Capabilities& caps, int channels, FieldTable fields = ConfigFields());

/// The field as people read it: "BattOVP", "channel 2 CC", "channel 1 segment 3 minutes".
std::string FieldName(const FieldRef& field);

/// A value that a write of the block would send although it lies outside its field's range.
struct ValueOutOfRange {
  FieldRef field;
  uint32_t value;  // as the block holds it, all its bits
  bool operator==(const ValueOutOfRange&) const = default;
};

/// Every value of the write sequence (as PlanWrite sends it) outside its field's range, in the
/// sequence's order: segment minutes over the grid's 1000 (those over 4095 cannot even travel),
/// a power over 100 %, a work mode beyond the list, ... A write sends none of the block then.
std::vector<ValueOutOfRange> ValuesOutOfRange(const TCONFIG_BLOCK& block, FieldTable fields = ConfigFields());

/// A field of the entry that the controller does not hold: what the entry has, and what
/// the controller has when that is known (an echo, or the last read of the controller).
struct FieldMismatch {
  FieldRef field;
  bool sent;
  uint16_t wanted;
  std::optional<uint16_t> held;  // none: no echo came, or the field was neither sent nor read
};

/// The write's verification: every field the target can hold must hold the entry's value,
/// either sent and echoed equal, or not sent and already equal in `lastRead` (the target's
/// block as last read, when known). `echo` holds the decoded echoes, `answered` tells which
/// requests of the plan got one. The target's capabilities come from the echo's CapFlags
/// and its product's row.
std::vector<FieldMismatch> FieldsNotHeld(const TCONFIG_BLOCK& entry, const TCONFIG_BLOCK& echo,
                                         const std::vector<WriteRequest>& plan, const std::vector<bool>& answered,
                                         const TCONFIG_BLOCK* lastRead, FieldTable fields = ConfigFields());

/// Sets every field the plan sends to a value other than the one sent, so that an echo
/// that never comes cannot pass for a correct one.
void MarkUnechoed(TCONFIG_BLOCK& echo, const std::vector<WriteRequest>& plan);

}  // namespace lum
