// Start-up: how long after its start lum's main window has been shown and painted (in English,
// the language LUM.INI chooses), against a bare Qt main window of like make-up. Each start is
// a fresh process of this program (--start-probe), the two taking turns, so that both pay
// the same process start and neither profits from the other's warm caches.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "StartProbe.h"

extern char** environ;

namespace lum::bench {

namespace {

// One start of KIND in `dir`: the milliseconds the probe reports.
double StartMs(const char* kind, const std::string& dir) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  char* argv[] = {self.data(), const_cast<char*>(kStartProbeOption), const_cast<char*>(kind),
                  const_cast<char*>(dir.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[64];
  for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty())
    throw std::runtime_error(std::string("the start probe of ") + kind + " failed");
  return std::stod(text);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A working directory as a user has it after choosing English: LUM.INI names the language
// file beside it; no ports.
struct EnglishDir {
  EnglishDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lum-start-XXXXXX").string();
    path = mkdtemp(pattern.data());
    std::filesystem::copy_file(std::filesystem::path(LUM_SOURCE_DIR) / "lang" / "LUM_en.lng", path / "LUM_en.lng");
    std::ofstream(path / "LUM.INI", std::ios::binary) << "[Language]\r\nLanguageFile=LUM_en.lng\r\n[Ports]\r\n";
  }
  ~EnglishDir() { std::filesystem::remove_all(path); }
  std::filesystem::path path;
};

// Iteration time: lum's start. Counters: the median start of each and their ratio.
void WindowStartAgainstBareWindow(benchmark::State& state) {
  const EnglishDir dir;
  // The first start makes the built-in language file; caches warm up for both alike.
  StartMs(kProbeProgram, dir.path.string());
  StartMs(kProbeBare, dir.path.string());
  std::vector<double> program;
  std::vector<double> bare;
  bool programFirst = true;
  for (auto _ : state) {
    if (programFirst) {
      program.push_back(StartMs(kProbeProgram, dir.path.string()));
      bare.push_back(StartMs(kProbeBare, dir.path.string()));
    } else {
      bare.push_back(StartMs(kProbeBare, dir.path.string()));
      program.push_back(StartMs(kProbeProgram, dir.path.string()));
    }
    programFirst = !programFirst;
    state.SetIterationTime(program.back() / 1000.0);
  }
  state.counters["lum_ms"] = Median(program);
  state.counters["bare_ms"] = Median(bare);
  state.counters["ratio"] = Median(program) / Median(bare);
}
BENCHMARK(WindowStartAgainstBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

}  // namespace lum::bench
