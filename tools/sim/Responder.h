#pragma once

#include <optional>

#include "sim/ControllerSpec.h"
#include "sim/Measurements.h"
#include "sim/Request.h"

namespace lum::sim {

/// What a controller answers, without any I/O: holds the ControllerSpec (and so the configuration
/// block that writes change) and turns each checked request into its reply frame.
class Responder {
 public:
  explicit Responder(ControllerSpec spec) : spec_(std::move(spec)) {}

  /// The reply frame for a request, or nullopt when the controller stays quiet (silent,
  /// an identification try below answerFromTry, an unknown command, a channel, segment or
  /// byte count outside the table). A write stores its value (as altered by the ControllerSpec) first
  /// and is answered like a read of what is now held.
  std::optional<Bytes> Answer(const Request& request, const Measurements& now);

  const TCONFIG_BLOCK& Config() const { return spec_.config; }

 private:
  ControllerSpec spec_;
};

}  // namespace lum::sim
