// lumctl provision: runs a bench in the terminal, one status line per port.
#include <fmt/format.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/AsciiText.h"
#include "cli/CliContext.h"
#include "cli/Command.h"
#include "cli/DatabaseOption.h"
#include "data/NumberFormats.h"
#include "language/DeviceText.h"
#include "provision/Bench.h"
#include "store/RecordStore.h"

namespace lum::cli {

namespace {

struct Options {
  std::string job, db, bench, operatorName;
  int count = 0;
  bool force = false;
};

std::string HostName() {
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("bench");
}

// The unit's model and the reasons come from the unit: escaped for the terminal.
std::string StatusLine(const PortState& state) {
  std::string line =
      fmt::format("{:<5} {:<15} {:>3}%  {}", state.port, PortStateText(state), state.progress, state.unit);
  if (state.result) line += fmt::format("  {}", store::OutcomeText(*state.result));
  if (!state.reason.empty()) line += ": " + state.reason;
  if (!state.recordError.empty()) line += ", NOT RECORDED: " + state.recordError;
  return TerminalText(line);
}

// On a terminal the port lines are redrawn in place; otherwise each change is one line.
// Below the ports, always: how many records wait in the spool for the server.
class TerminalBench : public BenchObserver {
 public:
  explicit TerminalBench(const store::RecordStore& records) : live_(isatty(STDOUT_FILENO) != 0), records_(records) {}
  void Begin(const std::vector<std::string>& ports) {
    std::lock_guard lock(mutex_);
    for (const std::string& port : ports) {
      PortState state;
      state.port = port;
      states_[port] = state;
    }
    spooled_ = records_.SpooledCount();
    if (live_)
      Redraw(false);
    else
      std::cout << SpoolLine() << std::endl;
  }
  void PortChanged(const PortState& state) override {
    std::lock_guard lock(mutex_);
    states_[state.port] = state;
    if (live_)
      Redraw(true);
    else
      std::cout << StatusLine(state) << std::endl;
  }
  void Recorded(const store::CommissioningRecord& r) override {
    std::lock_guard lock(mutex_);
    const size_t spooled = records_.SpooledCount();
    const bool spoolChanged = spooled != spooled_;
    spooled_ = spooled;
    if (live_) {
      if (spoolChanged) Redraw(true);
      return;
    }
    std::cout << TerminalText(fmt::format("{} {} {}{}", r.port, FormatSerial(r.serialNumber),
                                          store::OutcomeText(r.result), r.reason.empty() ? "" : ": " + r.reason))
              << std::endl;
    if (spoolChanged) std::cout << SpoolLine() << std::endl;
  }
  void Faulted(const BenchFault& fault) override {
    if (live_) return;
    std::lock_guard lock(mutex_);
    std::cout << FaultText(fault) << std::endl;
  }

 private:
  std::string SpoolLine() const {
    std::string line = fmt::format("{} records wait in the spool for {}", spooled_, records_.ShownTarget());
    const std::string problem = records_.ServerProblem();
    if (spooled_ > 0 && !problem.empty()) line += " (the server does not answer: " + FirstLine(problem) + ")";
    return line;
  }
  static std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }
  void Redraw(bool over) {
    if (over) std::cout << fmt::format("\x1b[{}A", states_.size() + 1);
    for (const auto& [port, state] : states_) std::cout << "\x1b[2K" << StatusLine(state) << '\n';
    std::cout << "\x1b[2K" << SpoolLine() << '\n';
    std::cout << std::flush;
  }
  bool live_;
  const store::RecordStore& records_;
  size_t spooled_ = 0;
  std::mutex mutex_;
  std::map<std::string, PortState> states_;
};

// SIGINT and SIGTERM stop the bench after the attempts under way; SIGUSR1 ends the watcher.
// Made before any thread of the bench, so that only the watcher takes these signals.
class StopOnSignal {
 public:
  StopOnSignal() {
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM, SIGUSR1}) sigaddset(&signals_, signal);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
  }
  void Watch(Bench& bench) {
    watcher_ = std::thread([this, &bench] {
      int signal = 0;
      sigwait(&signals_, &signal);
      if (signal != SIGUSR1) bench.RequestStop();
    });
  }
  ~StopOnSignal() {
    if (!watcher_.joinable()) return;
    pthread_kill(watcher_.native_handle(), SIGUSR1);
    watcher_.join();
  }

 private:
  sigset_t signals_{};
  std::thread watcher_;
};

void Provision(const Options& options) {
  ProvisioningJob job;
  try {
    job = LoadJob(options.job);
  } catch (const JobError& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitBadInput);
  }
  const CliContext context;
  std::unique_ptr<store::RecordStore> records;
  try {
    records = store::OpenRecordStore(context.DataDir(), context.Database(options.db));
  } catch (const store::DatabaseError& e) {
    // A server that answers and refuses the login is a wrong --db: nothing would ever reach it.
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(e.Kind() == store::Failure::LoginRefused ? kExitBadInput : kExitFailed);
  }
  BenchSettings settings;
  settings.bench = options.bench.empty() ? HostName() : options.bench;
  const char* user = std::getenv("USER");
  settings.operatorName = !options.operatorName.empty() ? options.operatorName : user ? user : "";
  settings.count = options.count;
  settings.force = options.force;

  StopOnSignal signals;
  TerminalBench terminal(*records);
  Bench bench(job, *records, context.Ports(), settings, terminal);
  if (bench.Ports().empty()) {
    std::cerr << "No port to watch: map the bench's ports in LUM.INI [Ports].\n";
    throw CLI::RuntimeError(kExitFailed);
  }
  terminal.Begin(bench.Ports());
  signals.Watch(bench);
  bench.Start();
  bench.WaitFinished();

  const BenchCounts counts = bench.Counts();
  fmt::print("done {}, failed {}, refused {}, interrupted {}, already done {}, could not be read {}\n", counts.done,
             counts.failed, counts.refused, counts.interrupted, counts.alreadyDone, counts.unreadable);
  if (const size_t waiting = records->SpooledCount())
    fmt::print("{} {} in {} for {}; they are sent on the next run\n", CountOf(waiting, "record", "records"),
               waiting == 1 ? "waits" : "wait", records->SpoolPath(), records->ShownTarget());
  const std::vector<BenchFault> faults = bench.Faults();
  if (!faults.empty()) {
    std::cerr << "The bench stopped (plug each unit not recorded again once the records can be kept):\n";
    for (const BenchFault& fault : faults) std::cerr << "  " << FaultText(fault) << '\n';
  }
  if (counts.failed + counts.refused + counts.interrupted + counts.unreadable > 0 || !faults.empty())
    throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command = app.add_subcommand("provision", "Provision every unit plugged into the mapped ports with a job");
  auto options = std::make_shared<Options>();
  command->add_option("job", options->job, "Job file (JSON; lumctl job check explains it)")->required();
  command->add_option("--db", options->db, kDatabaseOptionHelp);
  command->add_option("--bench", options->bench, "Bench name recorded with every unit (default: the host name)");
  command->add_option("--operator", options->operatorName, "Operator recorded with every unit (default: $USER)");
  command->add_option("--count", options->count, "Stop after this many units (default: until Ctrl+C)")
      ->check(CLI::NonNegativeNumber);
  command->add_flag("--force", options->force, "Write units already done with this job and configuration again");
  command->callback([options] { Provision(*options); });
});

}  // namespace

}  // namespace lum::cli
