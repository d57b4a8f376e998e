#pragma once

#include <functional>
#include <vector>

namespace CLI {
class App;
}

namespace lum::cli {

/// Each command file registers itself with a static CommandRegistration; main() adds every
/// registered command to the application.
using CommandSetup = std::function<void(CLI::App& app)>;

std::vector<CommandSetup>& RegisteredCommands();

struct CommandRegistration {
  explicit CommandRegistration(CommandSetup setup) { RegisteredCommands().push_back(std::move(setup)); }
};

/// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // a device or verification failure (no controller, no answer, no port)
inline constexpr int kExitBadInput = 2;  // bad arguments, bad JSON, an unreadable or rejected file

}  // namespace lum::cli
