#include "sim/LoaderMain.h"

#include <fmt/format.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>

#include "sim/Loader.h"
#include "sim/PortsIni.h"

namespace lum::sim {

namespace {

std::string Describe(const std::optional<uint16_t>& value) { return value ? std::to_string(*value) : std::string("-"); }

void PrintRecord(const LoaderRecord& record) {
  fmt::print("image {} bytes, data {} bytes, version {}, build {}, image end {}, rejected blocks {}, Q {}\n",
             record.Image.size(), record.Data.size(), Describe(record.Version), Describe(record.Build),
             record.ImageEnded ? "yes" : "no", record.RejectedBlocks, record.Quits);
}

}  // namespace

int RunLoaderMain(int argc, char** argv) {
  CLI::App app{"Simulated controller loader on a pseudo-terminal (9600 baud 8N1)"};
  LoaderOptions options;
  std::string link;
  unsigned blockSize = options.BlockSize;
  unsigned identityExtra = options.IdentityExtra;
  size_t badImageBlock = 0;
  size_t badDataBlock = 0;
  app.add_option("--device-id", options.DeviceID, "device ID reported to \"I\" (0x... accepted)")
      ->capture_default_str();
  app.add_option("--block-size", blockSize, "transfer block size B")->check(CLI::Range(1, 255))->capture_default_str();
  app.add_option("--identity-byte", identityExtra, "fifth byte of the identity reply")->check(CLI::Range(0, 255));
  auto* badImage = app.add_option("--bad-image-block", badImageBlock, "answer this image block with a check error");
  auto* badData = app.add_option("--bad-data-block", badDataBlock, "answer this data block with a check error");
  app.add_flag("--silent", options.Silent, "never announce");
  app.add_flag("--extra-sync-byte", options.ExtraSyncByte, "answer \"<\" with \">\" and one more byte");
  app.add_option("--link", link, "also make this symbolic link to the device path");
  std::string portsIni;
  app.add_option("--ports-ini", portsIni, "Write a LUM.INI with a [Ports] section: COM1=<the loader's path>")
      ->type_name("FILE");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  options.BlockSize = static_cast<uint8_t>(blockSize);
  options.IdentityExtra = static_cast<uint8_t>(identityExtra);
  if (badImage->count() > 0) options.BadImageBlock = badImageBlock;
  if (badData->count() > 0) options.BadDataBlock = badDataBlock;

  // The loader thread inherits the blocked signals; only this thread takes them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  try {
    SimLoader loader(options);
    if (!link.empty()) {
      unlink(link.c_str());
      if (symlink(loader.Path().c_str(), link.c_str()) != 0) {
        std::perror(link.c_str());
        return 1;
      }
    }
    if (!portsIni.empty()) WritePortsIni(portsIni, {loader.Path()});
    fmt::print("{}\n", loader.Path());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    if (!link.empty()) unlink(link.c_str());
    PrintRecord(loader.Record());
  } catch (const std::exception& e) {
    fmt::print(stderr, "lum-sim loader: {}\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace lum::sim
