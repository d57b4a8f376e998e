// Runs a libFuzzer-style target without clang's libFuzzer, so the fuzz targets run as ordinary
// tests (and under the sanitizers): first every seed of the corpus folder as it stands, then a
// bounded number of inputs, half of them seeds with a few bytes changed, half random bytes.
// Usage: fuzz_TARGET [ITERATIONS [CORPUS_DIR]]
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;
constexpr long kDefaultIterations = 10000;
constexpr uint32_t kSeed = 12345;
constexpr size_t kMaxRandomSize = 4096;
constexpr uint32_t kMaxChanges = 8;

std::vector<Bytes> ReadSeeds(const char* folder) {
  std::vector<Bytes> seeds;
  if (folder == nullptr) return seeds;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultIterations;
  const std::vector<Bytes> seeds = ReadSeeds(argc > 2 ? argv[2] : nullptr);
  for (const Bytes& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());

  std::mt19937 rng(kSeed);
  Bytes input;
  for (long i = 0; i < iterations; ++i) {
    if (!seeds.empty() && rng() % 2 == 0) {
      input = seeds[rng() % seeds.size()];
      const uint32_t changes = 1 + rng() % kMaxChanges;
      for (uint32_t c = 0; c < changes && !input.empty(); ++c)
        input[rng() % input.size()] = static_cast<uint8_t>(rng());
    } else {
      input.resize(rng() % kMaxRandomSize);
      for (auto& byte : input) byte = static_cast<uint8_t>(rng());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return 0;
}
