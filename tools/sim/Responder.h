#pragma once

#include <optional>

#include "data/ConfigFields.h"
#include "sim/ControllerSetup.h"
#include "sim/Measurements.h"
#include "sim/Request.h"

namespace lum::sim {

/// What a controller answers, without any I/O: holds the ControllerSetup (and so the configuration
/// block that writes change) and turns each checked request into its reply frame.
class Responder {
 public:
  /// `fields` tells which commands read and write which configuration fields.
  explicit Responder(ControllerSetup setup, FieldTable fields = ConfigFields())
      : setup_(std::move(setup)), fields_(fields) {}

  /// The reply frame for a request, or nullopt when the controller stays quiet (silent,
  /// an identification try below answerFromTry, an unknown command, a channel, segment or
  /// byte count outside the table). A write stores its value (as altered by the ControllerSetup) first
  /// and is answered like a read of what is now held.
  std::optional<Bytes> Answer(const Request& request, const Measurements& now);

  const TCONFIG_BLOCK& Config() const { return setup_.config; }
  /// The address the controller answers at from now on (byte 0 of every reply).
  void SetAddress(uint8_t address) { setup_.config.SetAddress(address); }
  /// What the controller reports as its firmware from now on (after an upgrade).
  void SetFirmware(uint8_t version, uint16_t build) {
    setup_.firmwareVersion = version;
    setup_.firmwareBuild = build;
  }

 private:
  ControllerSetup setup_;
  uint32_t answered_ = 0;  // requests answered so far, for answerLimit
  FieldTable fields_;
};

}  // namespace lum::sim
