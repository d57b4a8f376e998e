#include "sim/LineNoise.h"

namespace lum::sim {

namespace {
constexpr int kMinNoise = 1;
constexpr int kMaxNoise = 4;
constexpr int kMaxAttempts = 32;
constexpr int kMaxByte = 0xFF;

// The frame length a receiver would check at `start`.
size_t CheckedLength(const Bytes& bytes, size_t start) {
  if (start + frame::kLongData > bytes.size()) return frame::kSize;
  return CandidateLength(bytes[start + frame::kCode], bytes[start + frame::kLongLength]);
}

bool OnlyReplyChecks(const NoisyReply& noisy) {
  for (size_t start = 0; start < noisy.bytes.size(); ++start) {
    if (start == noisy.replyAt) continue;
    const size_t length = CheckedLength(noisy.bytes, start);
    if (start + length <= noisy.bytes.size() && CrcChecks(noisy.bytes.data() + start, length)) return false;
  }
  return true;
}

Bytes RandomBytes(std::mt19937& random) {
  std::uniform_int_distribution<int> count(kMinNoise, kMaxNoise);
  std::uniform_int_distribution<int> byte(0, kMaxByte);
  Bytes noise(static_cast<size_t>(count(random)));
  for (uint8_t& b : noise) b = static_cast<uint8_t>(byte(random));
  return noise;
}
constexpr uint8_t kFlippedBit = 0x01;
}  // namespace

Bytes DamageReply(Bytes reply) {
  if (reply.size() > frame::kWord) reply[frame::kWord] ^= kFlippedBit;
  return reply;
}

NoisyReply SurroundWithNoise(const Bytes& reply, std::mt19937& random) {
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    NoisyReply noisy;
    noisy.bytes = RandomBytes(random);
    noisy.replyAt = noisy.bytes.size();
    noisy.bytes.insert(noisy.bytes.end(), reply.begin(), reply.end());
    const Bytes after = RandomBytes(random);
    noisy.bytes.insert(noisy.bytes.end(), after.begin(), after.end());
    if (OnlyReplyChecks(noisy)) return noisy;
  }
  // Practically unreachable (each attempt fails with odds of about 1 in 8000); a clean
  // reply is better than a fake frame.
  return NoisyReply{reply, 0};
}

}  // namespace lum::sim
