// The window benchmarks, offscreen. With --start-probe the program is instead one start of a
// window for StartUpBench: it shows that window, prints how long it took and exits.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <chrono>
#include <cstring>

#include "StartProbe.h"

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (argc >= 3 && std::strcmp(argv[1], lum::bench::kStartProbeOption) == 0)
    return lum::bench::RunStartProbe(start, argc, argv);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
