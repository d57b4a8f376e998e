#pragma once

#include <cstdint>
#include <vector>

#include "data/ConfigBlock.h"

namespace lum {

/// A block field that a write request carries and its echo decodes back.
enum class FieldId {
  OTP,
  SCDelay,
  SCV,
  BattOVP,
  BattFCV,
  BattUVP,
  BattUVR,
  CV,
  CC,
  Mode,
  Minutes,
  Power,
  FuncFlags,
  Address
};

struct FieldRef {
  FieldId id;
  int channel = 0;  // group 0; for CV, CC, Mode, Minutes and Power
  int segment = 0;  // for Minutes and Power
  bool operator==(const FieldRef&) const = default;
};

/// The field's value in a block, as the echo decodes it (Minutes to 12 bits, FuncFlags to 7).
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

/// The write sequence for a block, in order, with its conditions: capabilities and channel
/// count resolved from the block's CapFlags and the device type row of its ProductID.
std::vector<WriteRequest> PlanWrite(const TCONFIG_BLOCK& block);

/// Sets every field the plan sends to a value other than the one sent, so that an echo
/// that never comes cannot pass for a correct one.
void MarkUnechoed(TCONFIG_BLOCK& echo, const std::vector<WriteRequest>& plan);

/// True when every field the plan sent came back with the value that was sent. Fields the
/// plan does not send are not compared.
bool EchoMatches(const TCONFIG_BLOCK& echo, const std::vector<WriteRequest>& plan);

}  // namespace lum
