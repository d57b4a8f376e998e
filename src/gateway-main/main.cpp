// lum-gateway: the controllers on the serial ports of its settings file, published to an MQTT
// broker for Home Assistant until SIGTERM (a service manager's stop) or Ctrl+C.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "VersionInfo.h"
#include "device/SettingsPorts.h"
#include "gateway/Gateway.h"
#include "gateway/GatewaySettings.h"
#include "language/ProfileFile.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;
constexpr char kDefaultConfig[] = "/etc/lum/gateway.ini";

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
extern "C" void OnStop(int) { g_stop = true; }

void StopOnInterruptAndTerminate() {
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

// The journal takes stderr line by line; the broker's refusal comes from another thread.
void Log(const std::string& line) {
  static std::mutex mutex;
  const std::lock_guard lock(mutex);
  std::cerr << line << std::endl;
}

int Run(const std::string& config) {
  if (!std::filesystem::is_regular_file(config)) {
    std::cerr << config << ": no such settings file" << std::endl;
    return kExitBadInput;
  }
  const lum::ProfileFile profile = lum::ProfileFile::Load(config);
  std::vector<std::string> errors;
  const lum::gateway::GatewaySettings settings = lum::gateway::ParseGatewaySettings(profile, errors);
  for (const std::string& error : errors) Log(fmt::format("{}: {}", config, error));
  const lum::PortMap ports = lum::PortsFromProfile(profile, errors);
  for (const std::string& error : errors) Log(fmt::format("{}: [Bus] {}", config, error));
  StopOnInterruptAndTerminate();
  lum::gateway::Gateway gateway(settings, ports, Log);
  Log(fmt::format("Publishing to {}:{} below {}", settings.broker.host, settings.broker.port, settings.prefix));
  gateway.Run(g_stop);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App app{
        "lum-gateway: the controllers on the serial ports of its settings file, published to an MQTT broker "
        "with Home Assistant discovery. SIGTERM or Ctrl+C stops it."};
    std::string config = kDefaultConfig;
    app.add_option("--config", config, "Settings file: [Broker], [Gateway], [Ports], [Bus]")->capture_default_str();
    app.set_version_flag("--version", std::string("lum-gateway ") + lum::version::kFileVersion);
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      const int status = app.exit(e);
      return status == 0 ? 0 : kExitBadInput;
    }
    return Run(config);
  } catch (const std::exception& e) {
    // A database that does not open, a broker setting libmosquitto refuses, a port mapping
    // that cannot be had: said once, and the service manager sees the failure.
    std::cerr << e.what() << std::endl;
    return kExitFailed;
  }
}
