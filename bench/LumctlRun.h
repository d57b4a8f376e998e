#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace lum::bench {

/// What one run of lumctl took.
struct RunFigures {
  double wallMs = 0;
  double peakMib = 0;
  int status = -1;
};

/// Runs lumctl with its output thrown away, in a folder of its own (without LUM.INI the data
/// folder is the user's; --db names the database).
inline RunFigures RunLumctl(const std::vector<std::string>& args) {
  constexpr double kKibPerMib = 1024.0;
  std::vector<char*> argv;
  std::string program = LUMCTL_PATH;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  RunFigures figures;
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  figures.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  figures.peakMib = static_cast<double>(usage.ru_maxrss) / kKibPerMib;
  figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return figures;
}

}  // namespace lum::bench
