// Runs a libFuzzer-style target on a bounded number of pseudo-random inputs, so the fuzz
// targets run as ordinary tests (and under the sanitizers) without clang's libFuzzer.
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
  std::mt19937 rng(12345);
  std::vector<uint8_t> input;
  for (long i = 0; i < iterations; ++i) {
    const size_t size = rng() % 4096;
    input.resize(size);
    for (auto& byte : input) byte = static_cast<uint8_t>(rng());
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return 0;
}
