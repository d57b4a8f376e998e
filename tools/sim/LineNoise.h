#pragma once

#include <cstddef>
#include <random>

#include "sim/Request.h"

namespace lum::sim {

/// A reply wrapped in noise, and where the reply starts in it.
struct NoisyReply {
  Bytes bytes;
  size_t replyAt = 0;
};

/// Puts a few random bytes before and after the reply frame. The noise is chosen so that
/// no run of the result other than the reply itself passes a receiver's frame check (short
/// or long, by the length rule a receiver scans with): noise must never fake a frame.
NoisyReply SurroundWithNoise(const Bytes& reply, std::mt19937& random);

/// The reply with one bit of a data byte flipped, as a line disturbance does: it fails the
/// receiver's check while its code and length stay readable.
Bytes DamageReply(Bytes reply);

}  // namespace lum::sim
