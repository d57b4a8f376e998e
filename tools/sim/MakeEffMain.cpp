#include "sim/MakeEffMain.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <string>

#include "base/AtomicFile.h"
#include "sim/LoaderMachine.h"
#include "upgrade/EffBuilder.h"

namespace lum::sim {

namespace {
constexpr size_t kDefaultImageBytes = 256;  // each block takes the loader 0.6 s: about 10 s in all
constexpr size_t kDefaultDataBytes = 64;
constexpr size_t kMaxImageBytes = 16384;
constexpr size_t kMaxDataBytes = 4096;
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;

// Recognisable, deterministic contents.
std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed);
  return bytes;
}
}  // namespace

int RunMakeEffMain(int argc, char** argv) {
  CLI::App app{
      "Writes an upgrade file (.eff) that the simulated loader ('lum-sim loader') accepts with the same "
      "--device-id and --block-size"};
  const LoaderOptions loader;
  std::string out;
  EffFields eff;
  eff.deviceId = loader.DeviceID;
  unsigned blockSize = loader.BlockSize;
  size_t imageBytes = kDefaultImageBytes;
  size_t dataBytes = kDefaultDataBytes;
  app.add_option("out", out, "The upgrade file to write")->required();
  app.add_option("--device-id", eff.deviceId, "Device ID the file is made for (0x... accepted)")->capture_default_str();
  app.add_option("--block-size", blockSize, "Transfer block size")->check(CLI::Range(1, 255))->capture_default_str();
  app.add_option("--firmware-version", eff.version, "Firmware version number")->capture_default_str();
  app.add_option("--firmware-build", eff.build, "Firmware build number")->capture_default_str();
  app.add_option("--image-bytes", imageBytes, "Size of the firmware image")
      ->check(CLI::Range(size_t{1}, kMaxImageBytes))
      ->capture_default_str();
  app.add_option("--data-bytes", dataBytes, "Size of the data section")
      ->check(CLI::Range(size_t{1}, kMaxDataBytes))
      ->capture_default_str();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  eff.blockSize = static_cast<uint8_t>(blockSize);
  eff.image = Pattern(imageBytes, 1);
  eff.data = Pattern(dataBytes, 2);
  if ((dataBytes + blockSize - 1) / blockSize > UINT8_MAX) {
    fmt::print(stderr, "lum-sim make-eff: {} data bytes need more than 255 blocks of {}\n", dataBytes, blockSize);
    return static_cast<int>(CLI::ExitCodes::ValidationError);
  }
  try {
    const std::vector<uint8_t> bytes = BuildEff(eff);
    WriteFileAtomically(out, std::string(bytes.begin(), bytes.end()));
  } catch (const std::exception& e) {
    fmt::print(stderr, "lum-sim make-eff: {}\n", e.what());
    return kExitFailed;
  }
  fmt::print("{}: device ID 0x{:08X}, firmware version {} build {}, {} image bytes, {} data bytes in blocks of {}\n",
             out, eff.deviceId, eff.version, eff.build, imageBytes, dataBytes, blockSize);
  return kExitOk;
}

}  // namespace lum::sim
