#include "base/Sha256.h"

#include <fmt/format.h>

#include <vector>

#include "base/ByteOrder.h"

namespace lum {

namespace {
constexpr size_t kBlockSize = 64;
constexpr size_t kLengthSize = 8;
constexpr uint8_t kPadMarker = 0x80;

constexpr std::array<uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
constexpr std::array<uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr uint32_t Rotr(uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::array<uint32_t, 8>& state, const uint8_t* block) {
  std::array<uint32_t, 64> w{};
  for (size_t i = 0; i < 16; ++i) w[i] = ReadU32Be(block + 4 * i);
  for (size_t i = 16; i < 64; ++i) {
    const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  auto [a, b, c, d, e, f, g, h] = state;
  for (size_t i = 0; i < 64; ++i) {
    const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  const std::array<uint32_t, 8> add = {a, b, c, d, e, f, g, h};
  for (size_t i = 0; i < 8; ++i) state[i] += add[i];
}
}  // namespace

std::array<uint8_t, 32> Sha256(const uint8_t* data, size_t size) {
  std::array<uint32_t, 8> state = kInitial;
  const size_t whole = size / kBlockSize * kBlockSize;
  for (size_t offset = 0; offset < whole; offset += kBlockSize) Compress(state, data + offset);

  // The tail, the marker byte, zeros, and the length in bits, big-endian.
  std::vector<uint8_t> tail(data + whole, data + size);
  tail.push_back(kPadMarker);
  while (tail.size() % kBlockSize != kBlockSize - kLengthSize) tail.push_back(0);
  const uint64_t bits = static_cast<uint64_t>(size) * 8;
  for (int shift = 56; shift >= 0; shift -= 8) tail.push_back(static_cast<uint8_t>(bits >> shift));
  for (size_t offset = 0; offset < tail.size(); offset += kBlockSize) Compress(state, tail.data() + offset);

  std::array<uint8_t, 32> digest{};
  for (size_t i = 0; i < 8; ++i) WriteU32Be(digest.data() + 4 * i, state[i]);
  return digest;
}

std::string Sha256Hex(const uint8_t* data, size_t size) {
  std::string hex;
  for (uint8_t byte : Sha256(data, size)) hex += fmt::format("{:02x}", byte);
  return hex;
}

}  // namespace lum
