#include "data/PollCsv.h"

#include <fmt/format.h>

#include <ctime>

namespace lum {

namespace {
constexpr int64_t kMsPerSecond = 1000;
constexpr int kFirstYear = 1900;
}  // namespace

std::string PollCsvHeader() {
  std::string header = "serial,time";
  for (ValueId id : kPolledValues) header += fmt::format(",{}", ValueKey(id));
  return header;
}

std::string PollCsvRow(const std::string& serial, const PollSample& sample) {
  std::string row = fmt::format("{},{}", serial, FormatUtcMs(sample.timeMs));
  for (size_t i = 0; i < kPolledValueCount; ++i) {
    row += ',';
    if (sample.raw[i]) row += FormatNumber(MakeMeasurement(kPolledValues[i], *sample.raw[i]));
  }
  return row;
}

std::string FormatUtcMs(int64_t timeMs) {
  const auto seconds = static_cast<std::time_t>(timeMs / kMsPerSecond);
  std::tm t{};
  gmtime_r(&seconds, &t);
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.{:03}Z", t.tm_year + kFirstYear, t.tm_mon + 1, t.tm_mday,
                     t.tm_hour, t.tm_min, t.tm_sec, timeMs % kMsPerSecond);
}

}  // namespace lum
