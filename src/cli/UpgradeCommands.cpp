// lumctl eff-info and upgrade: the report of loading an upgrade file, and the whole upgrade
// dialogue with a controller's loader on a port.
#include <fmt/format.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "cli/CliSession.h"
#include "cli/Command.h"
#include "upgrade/EffFile.h"

namespace lum::cli {

namespace {

constexpr int kBarWidth = 20;
constexpr int kFullProgress = 100;

// Memo lines go to stdout, each once its outcome has been appended; the progress bar to stderr.
class ConsoleMemo final : public UpgradeMemo {
 public:
  explicit ConsoleMemo(bool showProgress) : show_progress_(showProgress) {}

  void SetText(const std::string& text) override { StartLine(text); }
  void AddLine(const std::string& text) override { StartLine(text); }
  void EndLine(const std::string& text) override { line_ += text; }
  void SetFileName(const std::string&) override {}
  void SetFirmwareVersion(const std::string&) override {}
  void SetDescription(const std::string&) override {}
  void SetProgress(int percent) override {
    if (!show_progress_) return;
    const int filled = percent * kBarWidth / kFullProgress;
    std::cerr << fmt::format("\r[{}{}] {:3}%", std::string(static_cast<size_t>(filled), '#'),
                             std::string(static_cast<size_t>(kBarWidth - filled), '.'), percent)
              << std::flush;
    bar_shown_ = true;
  }

  /// Prints the last line.
  void Finish() { FlushLine(); }

 private:
  void StartLine(const std::string& text) {
    FlushLine();
    line_ = text;
    has_line_ = true;
  }
  void FlushLine() {
    if (!has_line_) return;
    if (bar_shown_) std::cerr << '\n';
    bar_shown_ = false;
    std::cout << line_ << std::endl;
    has_line_ = false;
  }

  bool show_progress_;
  bool bar_shown_ = false;
  bool has_line_ = false;
  std::string line_;
};

ModelNames NamesOf(const CliContext& context) {
  ModelNames names;
  for (int row = 0; row < kDeviceTypeCount; ++row) names[static_cast<size_t>(row)] = context.DeviceTypeName(row);
  return names;
}

// Loads the file with its report on stdout; an unreadable file ends the command with status 2.
bool Load(const CliContext& context, const std::string& path, EffContent& content, ConsoleMemo& memo) {
  try {
    const std::string fullPath = std::filesystem::absolute(path).string();
    const bool accepted = LoadEffFile(fullPath, content, memo, context.Messages(), NamesOf(context));
    memo.Finish();
    return accepted;
  } catch (const std::exception& e) {
    memo.Finish();
    std::cerr << "lumctl: " << e.what() << '\n';
    throw CLI::RuntimeError(kExitBadInput);
  }
}

void EffInfo(const std::string& path) {
  const CliContext context;
  auto content = std::make_unique<EffContent>();
  ConsoleMemo memo(false);
  if (!Load(context, path, *content, memo)) throw CLI::RuntimeError(kExitBadInput);
}

void Upgrade(const std::string& path, const std::string& port) {
  CliSession session;
  auto content = std::make_unique<EffContent>();
  // The bar redraws itself with carriage returns: only a terminal shows that as one line.
  ConsoleMemo memo(isatty(STDERR_FILENO) != 0);
  if (!Load(session.context, path, *content, memo)) throw CLI::RuntimeError(kExitBadInput);
  // A port that is not mapped has no path: the dialogue then fails at its first step.
  const std::string portPath = session.context.Ports().Resolve(port).value_or("");
  bool completed = false;
  session.device.Upgrade(port, portPath, *content, memo, [&completed](bool done) { completed = done; });
  session.device.WaitIdle();
  memo.Finish();
  if (!completed) throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* info = app.add_subcommand("eff-info", "Load and check an upgrade file (.eff) and print its report");
  auto infoPath = std::make_shared<std::string>();
  info->add_option("file", *infoPath, "Upgrade file")->required();
  info->callback([infoPath] { EffInfo(*infoPath); });

  auto* upgrade = app.add_subcommand("upgrade", "Send an upgrade file (.eff) to a controller's loader");
  auto upgradePath = std::make_shared<std::string>();
  auto port = std::make_shared<std::string>();
  upgrade->add_option("file", *upgradePath, "Upgrade file")->required();
  upgrade->add_option("--port", *port, "COMn (through [Ports] of LUM.INI) or a device path")->required();
  upgrade->callback([upgradePath, port] { Upgrade(*upgradePath, *port); });
});

}  // namespace

}  // namespace lum::cli
