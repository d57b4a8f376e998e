// The chart window: the CPU it takes while the monitor polls once a second (drawing and
// recording each poll), and a day of polls at 1 Hz loaded from the recordings database and
// drawn, with the database's size on disk. Runs offscreen.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../ProcessCpu.h"
#include "FormChart.h"
#include "FormLUM.h"
#include "PollFeed.h"
#include "WindowRecorder.h"
#include "store/RecordStore.h"
#include "store/Recordings.h"
#include "ui_FormChart.h"

namespace lum::bench {

namespace {

constexpr int64_t kSecondMs = 1000;
constexpr int64_t kDaySeconds = 24 * 60 * 60;
constexpr int64_t kStartMs = 1796688000000;  // 2026-12-08 00:00 UTC

// A sunny day's values: the battery charging by day, the load lit at night.
PollSample DaySample(int64_t second) {
  PollSample sample;
  sample.timeMs = kStartMs + second * kSecondMs;
  const bool night = second < 6 * 3600 || second > 18 * 3600;
  sample.raw = {second,
                25 + (second / 3600) % 10,
                12000 + (second % 3600),
                night ? 50 : 1800 + second % 300,
                night ? 12000 : 0,
                night ? 1500 + second % 100 : 0};
  return sample;
}

struct Window {
  Window() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lum-bench-XXXXXX").string();
    dir = mkdtemp(pattern.data());
    std::ofstream(dir / "LUM.INI") << "[Ports]\r\n";
    FormLUMOptions options;
    options.workDir = dir.string();
    main = std::make_unique<TFormLUM>(options);
    recorder = std::make_unique<WindowRecorder>(*main);
    chart = std::make_unique<TFormChart>(*main, *recorder);
    chart->resize(860, 520);
    chart->show();
    QApplication::processEvents();
  }
  ~Window() {
    chart.reset();
    recorder.reset();
    main.reset();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  std::unique_ptr<TFormLUM> main;
  std::unique_ptr<WindowRecorder> recorder;
  std::unique_ptr<TFormChart> chart;
};

// One tick of the live monitor as the window sees it: six values, the poll's end, the chart
// redrawn and painted, the poll recorded. The counter is the share of one core at one tick a
// second.
void ChartAtOneHertz(benchmark::State& state) {
  Window window;
  window.main->Feed().MonitorOpened(QStringLiteral("COM1"));
  int64_t second = 0;
  for (; second < 600; ++second) {  // ten minutes shown already
    for (size_t i = 0; i < kPolledValueCount; ++i)
      window.main->Feed().Add(MakeMeasurement(kPolledValues[i], *DaySample(second).raw[i]));
    window.main->Feed().EndPoll(DaySample(second).timeMs);
  }
  QApplication::processEvents();
  const double cpuBefore = ProcessCpuSeconds();
  int64_t ticks = 0;
  for (auto _ : state) {
    const PollSample sample = DaySample(second++);
    for (size_t i = 0; i < kPolledValueCount; ++i)
      window.main->Feed().Add(MakeMeasurement(kPolledValues[i], *sample.raw[i]));
    window.main->Feed().EndPoll(sample.timeMs);
    window.chart->repaint();
    QApplication::processEvents();
    ++ticks;
  }
  const double cpuPerTick = (ProcessCpuSeconds() - cpuBefore) / static_cast<double>(ticks);
  state.counters["cpu_percent_at_1Hz"] = cpuPerTick * 100.0;
}
BENCHMARK(ChartAtOneHertz)->Unit(benchmark::kMillisecond)->Iterations(120);

// A day at 1 Hz: loading the recording and drawing it once (the whole day in view).
void DayRecordingLoadAndDraw(benchmark::State& state) {
  Window window;
  {
    store::Recordings* recordings = window.recorder->Recordings();
    std::vector<PollSample> day;
    for (int64_t s = 0; s < kDaySeconds; ++s) day.push_back(DaySample(s));
    recordings->Add(recordings->Start("0A00000066"), day);
  }
  window.chart->RefreshSources();
  QComboBox& sources = *window.chart->ui().cbbSource;
  size_t polls = 0;
  for (auto _ : state) {
    sources.setCurrentIndex(1);
    window.chart->cbbSourceChange();
    window.chart->repaint();
    QApplication::processEvents();
    polls = window.chart->Samples().size();
    state.PauseTiming();
    sources.setCurrentIndex(0);
    window.chart->cbbSourceChange();
    state.ResumeTiming();
  }
  state.counters["polls"] = static_cast<double>(polls);
  // The database with its write-ahead log, where the newest pages may still be.
  uintmax_t bytes = 0;
  for (const auto& file : std::filesystem::directory_iterator(window.dir))
    if (file.path().filename().string().starts_with(store::kDefaultDatabaseFile)) bytes += file.file_size();
  state.counters["db_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(DayRecordingLoadAndDraw)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

}  // namespace lum::bench
